// Class path and library path entries in folders named outside the ANSI code
// page reach the virtual machine as paths that still name their files.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/double_app.h"
#include "tests/support/test_files.h"

namespace {

std::wstring FromAnsi(const std::string& bytes) {
  int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(), n);
  return out;
}

// The ";"-separated entries after the option's "=".
std::vector<std::wstring> Entries(const std::wstring& option) {
  std::vector<std::wstring> entries;
  std::wstring list = option.substr(option.find(L'=') + 1);
  for (std::size_t start = 0; start < list.size();) {
    std::size_t end = list.find(L';', start);
    if (end == std::wstring::npos) end = list.size();
    entries.push_back(list.substr(start, end - start));
    start = end + 1;
  }
  return entries;
}

bool Opens(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

TEST(VmLaunchUnicodePaths, EntriesOutsideTheCodePageStillNameTheirFiles) {
  testsupport::DoubleApp app;
  const std::wstring folder = app.app.path(L"日本語フォルダ");
  const std::wstring jar = folder + L"\\lib.jar";
  testsupport::WriteTextFile(jar, L"x", testsupport::Encoding::Ansi);
  testsupport::Settings s;
  s.classPath = jar + L";C:\\app\\classes.jar";
  s.runtimeLines = L"Library Path=" + folder + L"\r\n";
  app.Write(s);
  auto run = app.Run();
  ASSERT_TRUE(run.result.finished);
  ASSERT_EQ(run.result.exitCode, 0u) << app.RecordText();

  const auto options = app.Options();
  ASSERT_GE(options.size(), 3u) << app.RecordText();
  const std::vector<std::wstring> classPath = Entries(FromAnsi(options[2]));
  ASSERT_EQ(classPath.size(), 2u) << options[2];
  EXPECT_NE(classPath[0], jar) << "the code page cannot carry the folder's name";
  EXPECT_TRUE(Opens(classPath[0])) << "the class path entry " << classPath[0] << " names no file";
  EXPECT_EQ(classPath[1], L"C:\\app\\classes.jar") << "an ASCII entry stays as it is";

  const std::vector<std::wstring> libraryPath = Entries(FromAnsi(options[1]));
  ASSERT_FALSE(libraryPath.empty()) << options[1];
  EXPECT_EQ(GetFileAttributesW(libraryPath[0].c_str()), FILE_ATTRIBUTE_DIRECTORY)
      << "the library path entry " << libraryPath[0] << " names no folder";
}

}  // namespace
