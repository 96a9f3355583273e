#include "core/cell_text.h"

#include <array>

namespace olvar::core {

namespace {

constexpr char kMarkerByte = '\xA5';
constexpr std::string_view kAwkwardBytes = "\t\r\n\xA5";

// The names after which the marker byte opens a section when the file is read back; the reader
// takes any of them as a prefix, so "Options" stands for "Options:" and the like.
constexpr std::array<std::string_view, 7> kSectionNames = {
    "Planning", "Training", "Mortality", "Mor_individual", "Results", "Options", "Variables"};

bool opens_section(std::string_view after_marker) {
  for (const std::string_view name : kSectionNames) {
    if (after_marker.substr(0, name.size()) == name) return true;
  }
  return false;
}

}  // namespace

bool file_can_hold(std::string_view text) {
  std::size_t at = text.find_first_of(kAwkwardBytes);
  while (at != std::string_view::npos) {
    if (text[at] != kMarkerByte || at == 0 || opens_section(text.substr(at + 1))) return false;
    at = text.find_first_of(kAwkwardBytes, at + 1);
  }
  return true;
}

bool make_holdable(std::string& text) {
  if (file_can_hold(text)) return false;
  std::string made;
  made.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      made += ' ';
      ++i;
    } else if (c == '\t' || c == '\r' || c == '\n') {
      made += ' ';
    } else if (c == kMarkerByte &&
               (made.empty() || opens_section(std::string_view(text).substr(i + 1)))) {
      made += kMarkerStandIn;
    } else {
      made += c;
    }
  }
  text = std::move(made);
  return true;
}

std::string holdable_text(std::string_view text) {
  std::string made(text);
  make_holdable(made);
  return made;
}

int make_cells_holdable(TextGrid& grid) {
  int changed = 0;
  std::string text;
  for (int c = 0; c < grid.column_count(); ++c) {
    for (int r = 0; r < grid.row_count(); ++r) {
      const std::string_view cell = grid.cell(c, r);
      if (file_can_hold(cell)) continue;
      text.assign(cell);
      make_holdable(text);
      grid.set_cell(c, r, text);
      ++changed;
    }
  }
  return changed;
}

int make_workspace_holdable(Workspace& workspace) {
  int changed = make_cells_holdable(workspace.survey) + make_cells_holdable(workspace.variables) +
                make_cells_holdable(workspace.training_continuous) +
                make_cells_holdable(workspace.training_categorical) +
                make_cells_holdable(workspace.mortality_households) +
                make_cells_holdable(workspace.mortality_individuals) +
                make_cells_holdable(workspace.planning.cluster_table);
  PlanningPage& p = workspace.planning;
  for (std::string* text :
       {&p.survey_name, &p.sc_b, &p.sc_c, &p.sc_d, &p.sc_e, &p.sc_f, &p.sc_g, &p.sm_a, &p.sm_b,
        &p.sm_c, &p.sm_d, &p.sm_e, &p.sm_f, &p.Edit19, &workspace.rd_hh}) {
    changed += make_holdable(*text) ? 1 : 0;
  }
  MortalityOptions& m = workspace.mortality_options;
  for (std::string* text : {&m.cde1, &m.cde2, &m.cde3, &m.cde4, &m.cde5, &m.cde6, &m.cde7, &m.lde1,
                            &m.lde2, &m.lde3, &m.lde4}) {
    changed += make_holdable(*text) ? 1 : 0;
  }
  for (std::string& name : workspace.mortality_additional_variables) {
    changed += make_holdable(name) ? 1 : 0;
  }
  return changed;
}

}  // namespace olvar::core
