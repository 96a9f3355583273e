#include "workspace/recent_files.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace olvar::workspace {
namespace {
using ::testing::ElementsAre;

TEST(RecentFiles, ChosenEntryMovesToTheTop) {
  struct Case {
    int index;
    const char* opened;
    RecentFiles after;
  };
  const Case cases[] = {
      {0, "a", {"a", "b", "c", "d"}}, {1, "b", {"b", "a", "c", "d"}},
      {2, "c", {"c", "a", "b", "d"}}, {3, "d", {"d", "a", "b", "c"}},
      {4, "", {"a", "b", "c", "d"}},  {-1, "", {"a", "b", "c", "d"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.index);
    RecentFiles files{"a", "b", "c", "d"};
    EXPECT_EQ(open_recent_file(files, c.index), c.opened);
    EXPECT_EQ(files, c.after);
  }
  RecentFiles with_gap{"a", "", "c", ""};
  EXPECT_EQ(open_recent_file(with_gap, 1), "");
  EXPECT_EQ(with_gap, (RecentFiles{"a", "", "c", ""}));
}

TEST(RecentFiles, OpenedOrSavedFileGoesToTheTop) {
  RecentFiles files{"a", "b", "c", "d"};
  put_at_top(files, "new");
  EXPECT_EQ(files, (RecentFiles{"new", "a", "b", "c"})) << "the fourth drops out";
  put_at_top(files, "b");
  EXPECT_EQ(files, (RecentFiles{"b", "new", "a", "c"})) << "listed once, moved up";
  put_at_top(files, "b");
  EXPECT_EQ(files, (RecentFiles{"b", "new", "a", "c"}));
  RecentFiles empty;
  put_at_top(empty, "x");
  EXPECT_EQ(empty, (RecentFiles{"x", "", "", ""}));
}

TEST(RecentFiles, MenuCaptionsAndDialogFolder) {
  EXPECT_THAT(recent_file_captions({"/s/a.as", "", "c", "d"}),
              ElementsAre(" &1 /s/a.as", " &2", " &3 c", " &4 d"));
  EXPECT_EQ(dialog_folder_of("/home/ana/surveys/x.as"), "/home/ana/surveys");
}

}  // namespace
}  // namespace olvar::workspace
