#include "document/office_program_choice.h"

#include <gtest/gtest.h>

#include "support/temp_folder.h"

namespace olvar::document {
namespace {
namespace fs = std::filesystem;

fs::path make_program(const test::TempFolder& root, const std::string& name) {
  const fs::path file = root.write(name, "#!/bin/sh\n");
  fs::permissions(file, fs::perms::owner_all);
  return file;
}

OutputSettings configured() {
  OutputSettings s;
  s.kind = "ww";
  s.word_processor_path = "/earlier/choice";
  return s;
}

TEST(ChooseOfficeProgram, OpenOfficeFindsLibreOffice) {
  test::TempFolder root;
  const fs::path lowriter = make_program(root, "bin/lowriter");
  OutputSettings s = configured();
  EXPECT_TRUE(choose_office_program(s, "oo", {{root / "bin"}}));
  EXPECT_EQ(s.kind, "oo");
  EXPECT_EQ(s.word_processor_path, lowriter.string());

  const fs::path soffice = make_program(root, "bin/soffice");
  EXPECT_TRUE(choose_office_program(s, "oo", {{root / "bin"}}));
  EXPECT_EQ(s.word_processor_path, soffice.string());
}

TEST(ChooseOfficeProgram, NothingFoundLeavesTheSettingsAsTheyWere) {
  test::TempFolder root;
  make_program(root, "bin/soffice");
  for (const char* kind : {"ww", "oo"}) {
    SCOPED_TRACE(kind);
    OutputSettings s = configured();
    // "MS-Office" looks for winword.exe only; LibreOffice does not count.
    const platform::ProgramSearch search{
        {std::string(kind) == "ww" ? root / "bin" : root / "empty"}};
    EXPECT_FALSE(choose_office_program(s, kind, search));
    EXPECT_EQ(s.kind, "ww");
    EXPECT_EQ(s.word_processor_path, "/earlier/choice");
  }
}

}  // namespace
}  // namespace olvar::document
