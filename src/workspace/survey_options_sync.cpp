#include "workspace/survey_options_sync.h"

namespace olvar::workspace {

namespace {

// Applies `copy(page_field, survey_field)` to every field the two hold in common.
template <typename Page, typename Survey, typename Copy>
void each_shared_field(Page& page, Survey& survey, Copy copy) {
  copy(page.autofill_id, survey.autofill_id);
  copy(page.autofill_hh, survey.autofill_hh);
  copy(page.autofill_cluster, survey.autofill_cluster);
  copy(page.autofill_team, survey.autofill_team);
  copy(page.autofill_survdate, survey.autofill_survdate);
  copy(page.age_by_months, survey.age_by_months);
  copy(page.oedema_yn, survey.oedema_yn);
  copy(page.Edit26, survey.Edit26);
  copy(page.flags.whz_ol, survey.flags.whz_ol);
  copy(page.flags.haz_ol, survey.flags.haz_ol);
  copy(page.flags.waz_ol, survey.flags.waz_ol);
  copy(page.flags.whz_oh, survey.flags.whz_oh);
  copy(page.flags.haz_oh, survey.flags.haz_oh);
  copy(page.flags.waz_oh, survey.flags.waz_oh);
  copy(page.Edit2, survey.Edit2);
  copy(page.Edit3, survey.Edit3);
  copy(page.Edit4, survey.Edit4);
  copy(page.Edit5, survey.Edit5);
  copy(page.Edit6, survey.Edit6);
  copy(page.Edit7, survey.Edit7);
  copy(page.Edit8, survey.Edit8);
  copy(page.Edit9, survey.Edit9);
  copy(page.Edit10, survey.Edit10);
  copy(page.Edit11, survey.Edit11);
  copy(page.ma01, survey.ma01);
  copy(page.ma02, survey.ma02);
  copy(page.ma03, survey.ma03);
  copy(page.ma04, survey.ma04);
  copy(page.ma05, survey.ma05);
  copy(page.ma06, survey.ma06);
  copy(page.ma07, survey.ma07);
  copy(page.ma08, survey.ma08);
  copy(page.ma09, survey.ma09);
  copy(page.ma10, survey.ma10);
  copy(page.ma11, survey.ma11);
  copy(page.ma12, survey.ma12);
}

}  // namespace

core::OptionsPage survey_options_of(const core::OptionsPage& page) {
  core::OptionsPage options;
  each_shared_field(page, options, [](const auto& from, auto& to) { to = from; });
  return options;
}

void show_survey_options(core::OptionsPage& page, const core::OptionsPage& options) {
  each_shared_field(page, options, [](auto& to, const auto& from) { to = from; });
  // A survey keeps the lower bounds of its mortality age groups; the upper bounds before them
  // follow, so that the page shows the groups the death rates use.
  core::recompute_mortality_upper_bounds(page);
}

}  // namespace olvar::workspace
