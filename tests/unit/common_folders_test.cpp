// Creating the folders on the way to an output file.
#include <gtest/gtest.h>
#include <windows.h>

#include "common/folders.h"
#include "tests/support/test_files.h"

namespace {

using testsupport::FileExists;
using testsupport::TempFolder;

TEST(ParentFolders, PathElementsSplitRootAndComponents) {
  using E = std::vector<std::wstring>;
  EXPECT_EQ(text::PathElements(L"C:\\logs\\app\\out.txt"), (E{L"C:", L"logs", L"app", L"out.txt"}));
  EXPECT_EQ(text::PathElements(L"logs\\out.txt"), (E{L"logs", L"out.txt"}));
  EXPECT_EQ(text::PathElements(L"\\\\server\\share\\logs\\out.txt"), (E{L"\\\\server", L"share", L"logs", L"out.txt"}));
  EXPECT_EQ(text::PathElements(L"\\\\?\\C:\\a\\b.txt"), (E{L"\\\\?\\C:", L"a", L"b.txt"}));
  EXPECT_EQ(text::PathElements(L"\\top\\out.txt"), (E{L"", L"top", L"out.txt"}));
  EXPECT_EQ(text::PathElements(L"out.txt"), (E{L"out.txt"}));
}

TEST(ParentFolders, CreatesEveryMissingFolderInOrder) {
  TempFolder tmp;
  std::wstring file = tmp / L"logs\\app\\deep\\out.txt";
  EXPECT_EQ(folders::CreateParentFolders(file), 0u);
  EXPECT_TRUE(FileExists(tmp / L"logs\\app\\deep"));
  EXPECT_FALSE(FileExists(file)) << "the file itself must not be created";
  EXPECT_EQ(folders::CreateParentFolders(file), 0u) << "existing folders count as success";
}

TEST(ParentFolders, ExistingFileCreatesNothing) {
  TempFolder tmp;
  testsupport::WriteTextFile(tmp / L"a.txt", L"x");
  // The path names the existing file through a folder that does not exist;
  // only the early existence test keeps "x" from being made.
  EXPECT_EQ(folders::CreateParentFolders(tmp / L"x\\..\\a.txt"), 0u);
  EXPECT_FALSE(FileExists(tmp / L"x"));
}

TEST(ParentFolders, FailureNeverRemovesAFolderThatWasThereBefore) {
  TempFolder tmp;
  // "blocker" is a file, so creating blocker\sub fails after "existing" was passed.
  CreateDirectoryW((tmp / L"existing").c_str(), nullptr);
  testsupport::WriteTextFile(tmp / L"existing\\blocker", L"x");
  EXPECT_NE(folders::CreateParentFolders(tmp / L"existing\\blocker\\sub\\out.txt"), 0u);
  EXPECT_TRUE(FileExists(tmp / L"existing")) << "a folder the launcher did not create was removed";
  EXPECT_TRUE(FileExists(tmp / L"existing\\blocker"));
}

TEST(ParentFolders, FailureUndoesTheFolderItJustCreated) {
  TempFolder tmp;
  testsupport::WriteTextFile(tmp / L"new\\placeholder", L"");  // makes "new"
  testsupport::RemoveTree(tmp / L"new");
  // new is created, then new\\bad<name fails (invalid character): new goes again.
  EXPECT_NE(folders::CreateParentFolders(tmp / L"new\\bad<name\\out.txt"), 0u);
  EXPECT_FALSE(FileExists(tmp / L"new"));
}

}  // namespace
