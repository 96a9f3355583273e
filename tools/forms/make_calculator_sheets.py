#!/usr/bin/env python3
"""Writes the two calculator sheets of Extras > "Other forms and sheets" into data/.

Run by hand after a change (python3 tools/forms/make_calculator_sheets.py); the .ods files are
kept in the repository so that neither the build nor the user needs Python. Each sheet takes the
children measured and the cases of every cluster and computes, with the program's own formulas,
the prevalence, its 95% interval for a cluster sample (Taylor linearisation, logit interval with t
of k - 1 degrees of freedom; the Wilson interval for fewer than two clusters) and the design
effect; then it compares the prevalence with a threshold (one survey) or two prevalences with
each other (two surveys). The example figures are a hand-made survey that the tests compare with
`olvar-cli calc`.
"""
import os
import zipfile
from xml.sax.saxutils import escape, quoteattr

FIRST, LAST = 6, 305  # data rows: up to 300 clusters

# Example: (children measured, children with MUAC < 125 mm) per cluster.
EXAMPLE_1 = [(30, 3), (28, 5), (32, 2), (30, 6), (25, 1), (31, 4), (29, 3), (30, 0)]
EXAMPLE_2 = [(27, 1), (30, 2), (33, 1), (29, 3), (31, 0), (30, 2)]


def col(c):
    return chr(ord('A') + c)


def ref(c, r, absolute=False):
    return f"[.${col(c)}${r}]" if absolute else f"[.{col(c)}{r}]"


def rng(c, r1, r2):
    return f"[.{col(c)}{r1}:.{col(c)}{r2}]"


def survey_block(cells, c0, rc, title, example):
    """Cluster data in columns c0..c0+3 and the estimates in columns rc, rc+1; returns the row of
    each estimate by name."""
    n, a, u = c0 + 1, c0 + 2, c0 + 3
    cells[(4, c0)] = ('s', title)
    for k, head in enumerate(["Cluster", "Children measured", "Cases", "Residual"]):
        cells[(5, c0 + k)] = ('s', head)
    for i in range(FIRST, LAST + 1):
        j = i - FIRST
        if j < len(example):
            cells[(i, c0)] = ('n', j + 1)
            cells[(i, n)] = ('n', example[j][0])
            cells[(i, a)] = ('n', example[j][1])
    v = rc + 1
    rows = {}
    r = 4
    def put(name, label, formula):
        nonlocal r
        r += 1
        rows[name] = r
        cells[(r, rc)] = ('s', label)
        cells[(r, v)] = ('f', formula)
    N, A, K = rng(n, FIRST, LAST), rng(a, FIRST, LAST), None
    cells[(r, rc)] = ('s', title)
    put('k', "Clusters with children (k)", f'COUNTIF({N};">0")')
    put('n', "Children (n)", f"SUM({N})")
    put('a', "Cases", f"SUM({A})")
    put('mean', "Mean cluster size", f'IF({ref(v, rows["k"])}>0;{ref(v, rows["n"])}/{ref(v, rows["k"])};"")')
    put('p', "Prevalence (fraction)", f'IF({ref(v, rows["n"])}>0;{ref(v, rows["a"])}/{ref(v, rows["n"])};"")')
    p, k, tot, cases = (ref(v, rows[x]) for x in ('p', 'k', 'n', 'a'))
    mean = ref(v, rows['mean'])
    # The residual of each cluster with children: (cases - p x children) / mean cluster size.
    pa, ma = ref(v, rows['p'], True), ref(v, rows['mean'], True)
    for i in range(FIRST, LAST + 1):
        cells[(i, u)] = ('f', f'IF(AND(ISNUMBER({ref(n, i)});{ref(n, i)}>0);({ref(a, i)}-{pa}*{ref(n, i)})/{ma};"")')
    put('pct', "Prevalence (%)", f'IF(ISNUMBER({p});100*{p};"")')
    put('se', "Standard error (%)", f'IF({k}>=2;100*SQRT(DEVSQ({rng(u, FIRST, LAST)})/({k}*({k}-1)));"")')
    put('t', "t value (k - 1 degrees of freedom; 1.96 for one cluster)", f'IF({k}>=2;TINV(0.05;{k}-1);1.96)')
    se, t = ref(v, rows['se']), ref(v, rows['t'])
    logit = lambda sign: (f'100/(1+EXP(-(LN({p}/(1-{p})){sign}{t}*SQRT(({se}/100)^2/({p}*(1-{p}))^2))))')
    wilson = lambda sign: (f'100*({p}+1.96^2/(2*{tot}){sign}1.96*SQRT(({p}*(1-{p})+1.96^2/(4*{tot}))/{tot}))/(1+1.96^2/{tot})')
    for name, label, sign in (('low', "Lower 95% limit (%)", '-'), ('high', "Upper 95% limit (%)", '+')):
        put(name, label, f'IF(NOT(ISNUMBER({p}));"";IF({k}>=2;IF(OR({cases}=0;{p}=1);0;{logit(sign)});{wilson(sign)}))')
    sxx, syy, sxy = f"SUMSQ({N})", f"SUMSQ({A})", f"SUMPRODUCT({N};{A})"
    cluster_var = f'{k}/({k}-1)*({p}^2*{sxx}+{syy}-2*{p}*{sxy})/{tot}^2'
    put('deff', "Design effect",
        f'IF(AND({k}>=2;{cases}>0;{cases}<>{tot});MAX(1;({cluster_var})/({p}*(1-{p})/{tot}));1)')
    return rows


def content(cells, title):
    rows = max(r for r, _ in cells)
    cols = max(c for _, c in cells)
    out = ['<?xml version="1.0" encoding="UTF-8"?>',
           '<office:document-content xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" '
           'xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" '
           'xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" '
           'xmlns:of="urn:oasis:names:tc:opendocument:xmlns:of:1.2" office:version="1.2">',
           '<office:body><office:spreadsheet>',
           f'<table:table table:name={quoteattr(title)}>']
    for r in range(1, rows + 1):
        out.append('<table:table-row>')
        for c in range(0, cols + 1):
            cell = cells.get((r, c))
            if cell is None:
                out.append('<table:table-cell/>')
            elif cell[0] == 's':
                out.append(f'<table:table-cell office:value-type="string"><text:p>{escape(cell[1])}</text:p></table:table-cell>')
            elif cell[0] == 'n':
                out.append(f'<table:table-cell office:value-type="float" office:value="{cell[1]}"/>')
            else:
                out.append(f'<table:table-cell table:formula={quoteattr("of:=" + cell[1])}/>')
        out.append('</table:table-row>')
    out.append('</table:table></office:spreadsheet></office:body></office:document-content>')
    return '\n'.join(out)


def write_ods(path, cells, title):
    manifest = ('<?xml version="1.0" encoding="UTF-8"?>\n'
                '<manifest:manifest xmlns:manifest="urn:oasis:names:tc:opendocument:xmlns:manifest:1.0" manifest:version="1.2">\n'
                ' <manifest:file-entry manifest:full-path="/" manifest:media-type="application/vnd.oasis.opendocument.spreadsheet"/>\n'
                ' <manifest:file-entry manifest:full-path="content.xml" manifest:media-type="text/xml"/>\n'
                '</manifest:manifest>\n')
    with zipfile.ZipFile(path, 'w') as z:
        # The media type comes first and uncompressed, as the format asks.
        info = zipfile.ZipInfo('mimetype', date_time=(2026, 1, 1, 0, 0, 0))
        z.writestr(info, 'application/vnd.oasis.opendocument.spreadsheet', zipfile.ZIP_STORED)
        for name, text in (('META-INF/manifest.xml', manifest), ('content.xml', content(cells, title))):
            z.writestr(zipfile.ZipInfo(name, date_time=(2026, 1, 1, 0, 0, 0)), text, zipfile.ZIP_DEFLATED)


def one_survey(path):
    cells = {(1, 0): ('s', "Prevalence of one survey compared with a threshold"),
             (2, 0): ('s', "Type the children measured and the cases of each cluster over the example "
                           "(one row per cluster, up to 300) and the threshold; the white cells compute "
                           "the rest as the program's calculator does.")}
    rows = survey_block(cells, 0, 5, "Survey", EXAMPLE_1)
    v = 6
    r = max(rows.values()) + 2
    cells[(r, 5)] = ('s', "Threshold (%)"); cells[(r, v)] = ('n', 15); thr = ref(v, r)
    pct, se = ref(v, rows['pct']), ref(v, rows['se'])
    cells[(r + 1, 5)] = ('s', "Difference from the threshold (percentage points)")
    cells[(r + 1, v)] = ('f', f'IF(ISNUMBER({pct});{pct}-{thr};"")')
    cells[(r + 2, 5)] = ('s', "z (difference / standard error)")
    cells[(r + 2, v)] = ('f', f'IF(AND(ISNUMBER({se});{se}>0);({pct}-{thr})/{se};"")')
    z = ref(v, r + 2)
    cells[(r + 3, 5)] = ('s', "p-value (one-sided)")
    cells[(r + 3, v)] = ('f', f'IF(ISNUMBER({z});1-NORMDIST(ABS({z});0;1;1);"")')
    pv = ref(v, r + 3)
    cells[(r + 4, 5)] = ('s', "Conclusion")
    cells[(r + 4, v)] = ('f', f'IF(ISNUMBER({pv});IF({pv}<0.05;IF({z}>0;"significantly above the threshold";"significantly below the threshold");"not significantly different from the threshold");"")')
    write_ods(path, cells, "One survey")


def two_surveys(path):
    cells = {(1, 0): ('s', "Prevalences of two surveys compared"),
             (2, 0): ('s', "Type the children measured and the cases of each cluster of both surveys "
                           "over the examples (one row per cluster, up to 300); the white cells compute "
                           "the rest as the program's calculator does.")}
    r1 = survey_block(cells, 0, 10, "Survey 1", EXAMPLE_1)
    r2 = survey_block(cells, 5, 12, "Survey 2", EXAMPLE_2)
    p1, s1 = ref(11, r1['pct']), ref(11, r1['se'])
    p2, s2 = ref(13, r2['pct']), ref(13, r2['se'])
    r = max(r1.values()) + 2
    cells[(r, 10)] = ('s', "Difference survey 1 - survey 2 (percentage points)")
    cells[(r, 11)] = ('f', f'IF(AND(ISNUMBER({p1});ISNUMBER({p2}));{p1}-{p2};"")')
    cells[(r + 1, 10)] = ('s', "Standard error of the difference")
    cells[(r + 1, 11)] = ('f', f'IF(AND(ISNUMBER({s1});ISNUMBER({s2}));SQRT({s1}^2+{s2}^2);"")')
    d, sd = ref(11, r), ref(11, r + 1)
    cells[(r + 2, 10)] = ('s', "z (difference / its standard error)")
    cells[(r + 2, 11)] = ('f', f'IF(AND(ISNUMBER({sd});{sd}>0);{d}/{sd};"")')
    z = ref(11, r + 2)
    cells[(r + 3, 10)] = ('s', "p-value (two-sided)")
    cells[(r + 3, 11)] = ('f', f'IF(ISNUMBER({z});2*(1-NORMDIST(ABS({z});0;1;1));"")')
    pv = ref(11, r + 3)
    cells[(r + 4, 10)] = ('s', "Conclusion")
    cells[(r + 4, 11)] = ('f', f'IF(ISNUMBER({pv});IF({pv}<0.05;"the prevalences differ significantly";"no significant difference");"")')
    write_ods(path, cells, "Two surveys")


if __name__ == '__main__':
    data = os.path.join(os.path.dirname(__file__), '..', '..', 'data')
    one_survey(os.path.join(data, 'calculator_one_survey.ods'))
    two_surveys(os.path.join(data, 'calculator_two_surveys.ods'))
