// The entries of a FindFirstFileW pattern, one at a time.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/found_files_win.h"
#include "tests/support/test_files.h"

namespace {

using testsupport::TempFolder;

TEST(FoundFiles, GivesEveryEntryOnceAndTellsSubfolders) {
  TempFolder tmp;
  testsupport::WriteTextFile(tmp / L"a.txt", L"x");
  ASSERT_TRUE(CreateDirectoryW((tmp / L"sub").c_str(), nullptr));
  std::vector<std::wstring> names, subfolders;
  for (win::FoundFiles found((tmp / L"*").c_str()); found.Next();) {
    names.emplace_back(found.entry().cFileName);
    if (found.IsSubfolder()) subfolders.emplace_back(found.entry().cFileName);
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::wstring>{L".", L"..", L"a.txt", L"sub"}));
  EXPECT_EQ(subfolders, (std::vector<std::wstring>{L"sub"})) << "\".\" and \"..\" are no subfolders";
}

TEST(FoundFiles, NothingMatchedGivesNoEntry) {
  TempFolder tmp;
  win::FoundFiles found((tmp / L"none*").c_str());
  EXPECT_FALSE(found.Next());
  EXPECT_FALSE(found.Next());
  EXPECT_FALSE(win::PathFound((tmp / L"none").c_str()));
  EXPECT_TRUE(win::PathFound(tmp.path().c_str()));
}

}  // namespace
