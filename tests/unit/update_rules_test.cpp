// The staged update's rules: the folders it may name and its journal.
#include <gtest/gtest.h>

#include "update/update_rules.h"

namespace {

TEST(UpdateRules, OnlyAPathBelowTheExecutablesFolder) {
  const struct {
    const wchar_t* value;
    std::optional<std::wstring> path;
  } cases[] = {
      {L"update", L"update"},      {L"data/next", L"data\\next"}, {L"a b\\c.d", L"a b\\c.d"},
      {L"", std::nullopt},         {L"C:\\update", std::nullopt}, {L"\\update", std::nullopt},
      {L"..\\update", std::nullopt}, {L"a\\..\\..\\b", std::nullopt}, {L"a\\.\\b", std::nullopt},
      {L"a\\\\b", std::nullopt},   {L"a\\", std::nullopt},       {L"\\\\server\\share", std::nullopt},
      {L"C:update", std::nullopt}, {L"a*b", std::nullopt},       {L"a\tb", std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(update::RelativePathBelow(c.value), c.path) << testing::PrintToString(c.value);
  }
}

TEST(UpdateRules, TheJournalKeepsWholeLinesBelowTheFolderOnly) {
  const std::vector<std::wstring> files = {L"app.exe", L"lib\\app.jar"};
  const update::Journal written = update::ParseJournal(update::JournalText(files));
  EXPECT_EQ(written.files, files);
  EXPECT_FALSE(written.done);

  const update::Journal read =
      update::ParseJournal(L"a.jar\n..\\..\\Windows\\win.ini\nC:\\x\n*done\nb.jar\nc.j");
  EXPECT_EQ(read.files, (std::vector<std::wstring>{L"a.jar", L"b.jar"})) << "a line cut short is no file";
  EXPECT_TRUE(read.done);
  EXPECT_FALSE(update::ParseJournal(L"a.jar\n*do").done) << "a marker cut short is none";
}

}  // namespace
