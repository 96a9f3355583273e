#!/usr/bin/env python3
"""Writes the three printed forms of Extras > "Other forms and sheets" into data/ as RTF.

Run by hand after a change (python3 tools/forms/make_forms.py); the .rtf files are kept in the
repository. Tables are RTF table rows so that the word processor keeps the columns when the form
is filled in on screen.
"""
import os

HEADER = ("{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}"
          "\\paperw%d\\paperh%d%s\\margl850\\margr850\\margt850\\margb850\n")


def doc(landscape=False):
    if landscape:
        return HEADER % (16838, 11906, "\\landscape")
    return HEADER % (11906, 16838, "")


def title(text, sub=None):
    out = "\\pard\\qc\\f0\\fs30\\b %s\\b0\\par\n" % text
    if sub:
        out += "\\pard\\qc\\fs18 %s\\par\n" % sub
    return out + "\\pard\\fs20\\par\n"


def line(text):
    return "\\pard\\fs20 %s\\par\n" % text


def heading(text):
    return "\\pard\\sb160\\sa60\\fs22\\b %s\\b0\\par\n" % text


def table(widths, head, rows, height=420):
    """A table of `rows` empty rows below a bold heading row; widths in twips."""
    def row(cells, bold=False, trh=None):
        out = "\\trowd\\trgaph60\\trleft0" + (f"\\trrh{trh}" if trh else "")
        x = 0
        for w in widths:
            x += w
            out += ("\\clbrdrt\\brdrs\\brdrw10\\clbrdrl\\brdrs\\brdrw10"
                    "\\clbrdrb\\brdrs\\brdrw10\\clbrdrr\\brdrs\\brdrw10\\cellx%d" % x)
        out += "\n\\pard\\intbl\\fs16" + ("\\b " if bold else " ")
        out += "".join("%s\\cell " % c for c in cells)
        return out + ("\\b0" if bold else "") + "\\row\n"
    out = row(head, bold=True)
    for k in range(1, rows + 1):
        out += row([str(k)] + [""] * (len(widths) - 1), trh=height)
    return out + "\\pard\\fs20\\par\n"


def refused_and_absent():
    d = doc(landscape=True)
    d += title("Refused and absent households and children",
               "One sheet per cluster. The team fills it in during the day; the supervisor checks it before leaving the cluster.")
    d += line("Survey: ...................................   Cluster no.: ........   Village / camp: ..................................   Team: ........   Date: ....../....../..........")
    d += heading("Households")
    d += table([700, 1300, 1500, 1500, 2200, 2200, 5700],
               ["No.", "Household no.", "Absent (tick)", "Refused (tick)", "1st return visit (time)", "2nd return visit (time)", "Reason, and what the neighbours said"], 6, height=380)
    d += heading("Children aged 6 to 59 months not measured")
    d += table([700, 1300, 3000, 700, 1400, 1500, 1500, 2300, 2700],
               ["No.", "Household no.", "Child's name", "Sex", "Age (months)", "Absent (tick)", "Refused (tick)", "Return visit (time)", "Reason (at the health centre, in the fields, ill...)"], 7, height=380)
    d += heading("Totals of the cluster")
    d += line("Households selected: ........   visited: ........   absent: ........   refused: ........")
    d += line("Children 6-59 months found: ........   measured: ........   absent: ........   refused: ........")
    d += line("Team leader: ..................................   Supervisor: ..................................")
    return d + "}\n"


def summary_protocol():
    d = doc()
    d += title("Summary survey protocol",
               "Two pages for the survey file and for the authorities. The full protocol is written from the Planning page (Survey Protocol).")
    for head, lines in [
        ("1. The survey", ["Title: ..................................................................................................",
                           "Area (country, region, district, camps): ..................................................................",
                           "Population of the area: ................   of which children under five: ........ %",
                           "Organisations: .........................................................................................",
                           "Survey manager and contact: ..........................................................................."]),
        ("2. Objectives", ["Prevalence of acute malnutrition (weight-for-height, MUAC, oedema) among children aged 6 to 59 months",
                           "Prevalence of stunting and underweight among children aged 6 to 59 months",
                           "Crude and under-five death rates over the recall period",
                           "Other objectives: ......................................................................................"]),
        ("3. Sampling", ["Kind of sample:   cluster sample of ........ clusters of ........ households   /   simple random sample",
                         "Children to include: ........   Households to include (anthropometry): ........",
                         "Persons to include: ........   Households to include (mortality): ........",
                         "Sampling frame (list of villages, camps, households) and its date: ...................................",
                         "Selection of households in a cluster: .......................................................................",
                         "Reserve clusters (RC) and when they are used: ................................................................"]),
        ("4. Measurements and definitions", ["Reference: WHO 2006 growth standards   Exclusion of z-scores: ..............................",
                                             "Acute malnutrition: weight-for-height < -2 z-scores and/or bilateral oedema; severe < -3 z-scores and/or oedema",
                                             "MUAC cut-offs: severe < ........ mm, moderate < ........ mm",
                                             "Recall period: from ....../....../.......... (event: ..............................) to ....../....../.........., ........ days"]),
        ("5. Teams and timetable", ["Teams: ........   members per team: ........   supervisors: ........",
                                    "Training and standardisation test: ....../....../.......... to ....../....../..........",
                                    "Data collection: ....../....../.......... to ....../....../..........",
                                    "Preliminary results: ....../....../..........   Final report: ....../....../.........."]),
        ("6. Ethics and authorisation", ["Authorisation given by: ..........................................   on: ....../....../..........",
                                         "Verbal consent is asked in every household; children found with acute malnutrition are referred to: ......................."]),
    ]:
        d += heading(head)
        for text in lines:
            d += line(text)
    return d + "}\n"


def cluster_control():
    d = doc(landscape=True)
    d += title("Cluster control form",
               "One sheet per cluster, kept by the team leader and checked by the supervisor.")
    d += line("Survey: ...............................   Cluster no.: ........   Village / camp: ...............................   Population: ............   Team: ........   Date: ....../....../..........")
    d += line("Time of arrival: ..........   Time of leaving: ..........   Starting point and how the households were chosen: .......................................................................")
    d += table([700, 1300, 1300, 1700, 1500, 1200, 1200, 1500, 1500, 5000],
               ["No.", "Household no.", "Members", "Children 6-59 months", "Children measured", "Absent", "Refused",
                "Deaths in the recall period", "Births in the recall period", "Remarks (referrals, oedema confirmed...)"], 15, height=360)
    d += heading("Checks before leaving the cluster")
    for text in ["[  ] Every selected household visited, absent ones visited again",
                 "[  ] Every child 6-59 months measured or listed on the refused and absent form",
                 "[  ] Oedema checked on both feet of every child; every case confirmed by the team leader",
                 "[  ] Malnourished children referred, with their referral slip",
                 "[  ] Questionnaires complete and legible; equipment checked (scale with a known weight)"]:
        d += line(text)
    d += line("Team leader: ..................................   Supervisor: ..................................")
    return d + "}\n"


if __name__ == '__main__':
    data = os.path.join(os.path.dirname(__file__), '..', '..', 'data')
    for name, text in [("refused_and_absent_households_and_children.rtf", refused_and_absent()),
                       ("summary_survey_protocol.rtf", summary_protocol()),
                       ("cluster_control_form.rtf", cluster_control())]:
        with open(os.path.join(data, name), 'w', encoding='cp1252', newline='\r\n') as f:
            f.write(text)
