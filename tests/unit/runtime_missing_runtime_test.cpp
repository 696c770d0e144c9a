// What the missing-runtime dialog decides without a window: its message and
// what a browsed folder offers.
#include <gtest/gtest.h>

#include "runtime/missing_runtime_dialog.h"
#include "runtime_fakes.h"

namespace {

using runtime::JvmType;

TEST(MissingRuntimeRules, MessageAsksForAServerJvmOnlyWhenTheTypeIsServer) {
  EXPECT_EQ(runtime::MissingRuntimeMessageId(JvmType::Server), 206u);
  EXPECT_EQ(runtime::MissingRuntimeMessageId(JvmType::Any), 207u);
  EXPECT_EQ(runtime::MissingRuntimeMessageId(JvmType::FavorServer), 207u);
  EXPECT_EQ(runtime::ComposeMissingRuntimeMessage(JvmType::Server, runtime::ParseVersion(L"1.6", 0).version,
                                                  runtime::VersionNumber::AnyMaximum()),
            L"The Java Runtime Environment (JRE) was not found. Please  download and install a JRE with a server JVM "
            L"(minimum version 1.6) from:");
}

TEST(MissingRuntimeRules, BrowsedFolderAndItsLibrary) {
  runtimetest::FakeFiles files{L"C:\\jre\\bin\\client\\jvm.dll", L"C:\\both\\bin\\client\\jvm.dll",
                               L"C:\\both\\bin\\server\\jvm.dll"};
  const struct {
    const wchar_t* path;
    JvmType type;
    const wchar_t* folder;
    const wchar_t* library;
  } cases[] = {
      {L"C:\\jre", JvmType::Any, L"C:\\jre\\", L"C:\\jre\\bin\\client\\jvm.dll"},
      {L"C:\\jre\\", JvmType::Any, L"C:\\jre\\", L"C:\\jre\\bin\\client\\jvm.dll"},
      {L"C:\\jre\\bin", JvmType::Any, L"C:\\jre\\bin\\", L""},
      {L"C:\\jre", JvmType::Server, L"C:\\jre\\", L""},
      {L"C:\\jre", JvmType::FavorServer, L"C:\\jre\\", L"C:\\jre\\bin\\client\\jvm.dll"},
      {L"C:\\both", JvmType::FavorServer, L"C:\\both\\", L"C:\\both\\bin\\server\\jvm.dll"},
      {L"", JvmType::Any, L"", L""},
  };
  for (const auto& c : cases) {
    auto browsed = runtime::ExamineBrowsedFolder(c.path, c.type, files);
    EXPECT_EQ(browsed.folder, c.folder) << c.path;
    EXPECT_EQ(browsed.library, c.library) << c.path << " type " << static_cast<int>(c.type);
  }
  // A place outside the file system is never read as the current directory.
  runtimetest::FakeFiles relative{L"bin\\client\\jvm.dll"};
  EXPECT_EQ(runtime::ExamineBrowsedFolder(L"", JvmType::Any, relative).library, L"");
  EXPECT_TRUE(relative.probes().empty());
}

}  // namespace
