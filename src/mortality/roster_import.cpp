#include "mortality/roster_import.h"

#include <algorithm>
#include <array>
#include <map>
#include <vector>

#include "core/date_text.h"
#include "mortality/death_rates.h"

namespace olvar::mortality {

namespace {

using Record = std::vector<std::string>;

// One record of comma-separated values; a value in double quotes may hold commas, line breaks
// and "" for a quote. A CR outside quotes (of a CR LF line end) is dropped.
Record split_csv_line(std::string_view line) {
  Record fields(1);
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char ch = line[i];
    if (quoted) {
      if (ch == '"' && i + 1 < line.size() && line[i + 1] == '"') {
        fields.back() += '"';
        ++i;
      } else if (ch == '"') {
        quoted = false;
      } else {
        fields.back() += ch;
      }
    } else if (ch == '"') {
      quoted = true;
    } else if (ch == ',') {
      fields.emplace_back();
    } else if (ch != '\r') {
      fields.back() += ch;
    }
  }
  return fields;
}

struct Csv {
  Record heading;
  std::vector<Record> rows;
  std::vector<int> first_lines;  // per row, the line of the file where it starts (1-based)
  std::string error;             // a record cut short; the rows are then not to be used
  int column(std::string_view name) const {
    const auto it = std::find(heading.begin(), heading.end(), name);
    return it == heading.end() ? -1 : static_cast<int>(it - heading.begin());
  }
};

// The end of the record starting at `text`: the first line end outside double quotes (LF,
// CR LF or a lone CR, as spreadsheets of every system write them), or the end of the text.
std::size_t record_end(std::string_view text, int& line_ends) {
  bool quoted = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char ch = text[i];
    if (ch == '"') quoted = !quoted;
    if (ch != '\n' && ch != '\r') continue;
    if (quoted) {
      if (ch == '\n' || i + 1 >= text.size() || text[i + 1] != '\n') ++line_ends;
      continue;
    }
    return i;
  }
  return text.size();
}

Csv parse_csv(std::string_view text, std::string_view file) {
  Csv csv;
  // An editor saving as UTF-8 may put a byte order mark first; it would hide the first name.
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
    text.remove_prefix(kByteOrderMark.size());
  }
  bool first = true;
  int line = 1;
  while (!text.empty()) {
    const int start_line = line;
    int inner_line_ends = 0;
    const std::size_t end = record_end(text, inner_line_ends);
    const std::string_view record = text.substr(0, end);
    const bool ended = end < text.size();
    std::size_t next = end;
    if (ended)
      next += (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1;
    text.remove_prefix(next);
    line += inner_line_ends + (ended ? 1 : 0);
    if (record.empty()) continue;
    if (first) {
      csv.heading = split_csv_line(record);
      first = false;
      continue;
    }
    Record fields = split_csv_line(record);
    // A file cut inside a record (a copy broken off, a quote never closed) would give a
    // household only part of its values. Only the last record can be cut; a short record
    // ended by a line end is a file whose last columns were left empty.
    const bool quote_open = std::count(record.begin(), record.end(), '"') % 2 == 1;
    if (!ended && (fields.size() < csv.heading.size() || quote_open) && csv.error.empty()) {
      csv.error = std::string(file) + ", line " + std::to_string(start_line) + ": " +
                  std::to_string(fields.size()) + " values where the heading names " +
                  std::to_string(csv.heading.size()) + "; the file may be cut";
    }
    csv.rows.push_back(std::move(fields));
    csv.first_lines.push_back(start_line);
  }
  return csv;
}

std::string field(const Record& r, int column) {
  return column >= 0 && column < static_cast<int>(r.size()) ? r[column] : std::string();
}

// "07-Aug-19" -> the date in the system order; anything else is kept as it stands.
std::string interview_date(const std::string& text, const core::DateConventions& dates) {
  static constexpr std::array<const char*, 12> kMonths = {
      "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  if (text.size() != 9 || text[2] != '-' || text[6] != '-') return text;
  const auto month = std::find(kMonths.begin(), kMonths.end(), text.substr(3, 3));
  if (month == kMonths.end()) return text;
  const std::optional<long> day = read_whole_number(text.substr(0, 2));
  const std::optional<long> year = read_whole_number(text.substr(7, 2));
  if (!day || !year) return text;
  const std::optional<int> n = core::day_number_of(
      {2000 + static_cast<int>(*year), static_cast<int>(month - kMonths.begin()) + 1,
       static_cast<int>(*day)});
  return n ? core::date_text(*n, dates) : text;
}

std::string map_code(const std::string& code, const std::map<std::string, std::string>& codes) {
  if (code.empty()) return {};
  const auto it = codes.find(code);
  return it == codes.end() ? "1" : it->second;
}

struct Household {
  std::string date, cluster, team;
  std::vector<std::array<std::string, 8>> persons;
};

// The columns one list file (persons who left or died) must have, by their names in the file.
struct ListColumns {
  const char* file;
  const char* sex;
  const char* age;
  const char* joined;
  const char* born;
  bool required_cluster;
};

}  // namespace

void write_individual_headings(core::TextGrid& t) {
  static constexpr std::array<const char*, 8> kSuffix = {"_sex",  "_age",  "_join",  "_left",
                                                         "_born", "_died", "_cause", "_location"};
  t.set_cell(1, 0, "Date");
  t.set_cell(2, 0, "Cluster");
  t.set_cell(3, 0, "Team");
  t.set_cell(4, 0, "HH");
  for (int k = 1; k <= kPersons; ++k) {
    for (int f = 0; f < 8; ++f) {
      t.set_cell(person_column(k, PersonField(f)), 0, "P" + std::to_string(k) + kSuffix[f]);
    }
  }
}

RosterImport import_roster(std::string_view roster_csv, std::string_view left_csv,
                           std::string_view died_csv, const core::DateConventions& dates) {
  RosterImport result;
  std::map<std::string, int> index_of_key;
  std::vector<Household> households;

  const auto read_list = [&](std::string_view text, const ListColumns& columns,
                             char event) -> bool {
    // The lists of persons who left and who died are optional: a survey may have had none, and
    // the command line offers them as options. An absent list adds no one.
    if (text.empty() && event != ' ') return true;
    const Csv csv = parse_csv(text, columns.file);
    const std::array<const char*, 5> needed = {"KEY", columns.sex, columns.age, columns.joined,
                                               columns.born};
    for (const char* name : needed) {
      if (csv.column(name) < 0) {
        result.error = std::string(columns.file) + ": the column \"" + name + "\" is missing";
        return false;
      }
    }
    if (columns.required_cluster && csv.column("cluster_id") < 0) {
      result.error = std::string(columns.file) + ": the column \"cluster_id\" is missing";
      return false;
    }
    if (!csv.error.empty()) {
      result.error = csv.error;
      return false;
    }
    const int key = csv.column("KEY"), sex = csv.column(columns.sex),
              age = csv.column(columns.age),
              joined = csv.column(columns.joined), born = csv.column(columns.born),
              cluster = csv.column("cluster_id"), today = csv.column("today"),
              team = csv.column("enum"), cause = csv.column("death_cause"),
              location = csv.column("death_location");
    for (std::size_t line = 0; line < csv.rows.size(); ++line) {
      const Record& r = csv.rows[line];
      const std::string k = field(r, key);
      auto it = index_of_key.find(k);
      if (it == index_of_key.end()) {
        if (event != ' ') {
          result.error = std::string(columns.file) + ", line " +
                         std::to_string(csv.first_lines[line]) + ": the household \"" + k +
                         "\" is not in the roster";
          return false;
        }
        it = index_of_key.emplace(k, static_cast<int>(households.size())).first;
        households.push_back({interview_date(field(r, today), dates), field(r, cluster),
                              field(r, team), {}});
      }
      std::array<std::string, 8> p;
      p[PersonField::sex] = field(r, sex);
      p[PersonField::age] = field(r, age);
      if (field(r, joined) == "y") p[PersonField::joined] = "y";
      if (field(r, born) == "y") p[PersonField::born] = "y";
      if (event == 'l') p[PersonField::left] = "y";
      if (event == 'd') {
        p[PersonField::died] = "y";
        p[PersonField::cause] = map_code(field(r, cause), {{"1", "3"}, {"2", "2"}, {"97", "4"}});
        p[PersonField::location] =
            map_code(field(r, location), {{"1", "1"}, {"2", "2"}, {"3", "3"}, {"97", "4"}});
      }
      households[it->second].persons.push_back(p);
      ++result.persons;
    }
    return true;
  };

  if (!read_list(roster_csv, {"roster", "sex_roster", "age_years", "joined", "birth", true}, ' ') ||
      !read_list(left_csv, {"left list", "sex_left", "age_left", "join_left", "birth_left", false},
                 'l') ||
      !read_list(died_csv, {"died list", "sex_died", "age_died", "join_died", "birth_died", false},
                 'd')) {
    result.persons = 0;
    return result;
  }

  int rows = 0;
  for (const Household& h : households) rows += std::max<int>(1, (h.persons.size() + 19) / 20);
  // Five spare columns and a few spare rows, as a read survey has them.
  core::TextGrid t(kFirstAdditionalColumn + 5, rows + 4);
  write_individual_headings(t);
  int row = 1;
  for (std::size_t h = 0; h < households.size(); ++h) {
    const Household& hh = households[h];
    for (std::size_t first = 0; first == 0 || first < hh.persons.size(); first += kPersons) {
      t.set_cell(0, row, std::to_string(row));
      t.set_cell(1, row, hh.date);
      t.set_cell(2, row, hh.cluster);
      t.set_cell(3, row, hh.team);
      t.set_cell(4, row, std::to_string(h + 1));
      for (std::size_t i = first; i < std::min(hh.persons.size(), first + kPersons); ++i) {
        const int k = static_cast<int>(i - first) + 1;
        for (int f = 0; f < 8; ++f) {
          t.set_cell(person_column(k, PersonField(f)), row, hh.persons[i][f]);
        }
      }
      ++row;
    }
  }
  result.households = static_cast<int>(households.size());
  result.individuals = std::move(t);
  return result;
}

}  // namespace olvar::mortality
