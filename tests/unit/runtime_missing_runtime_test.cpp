// What a folder browsed to in the missing-runtime dialog offers.
#include <gtest/gtest.h>

#include "runtime/missing_runtime_rules.h"
#include "runtime_fakes.h"

namespace {

using runtime::JvmType;

TEST(MissingRuntimeRules, BrowsedFolderAndItsLibrary) {
  runtimetest::FakeFiles files{L"C:\\jre\\bin\\client\\jvm.dll", L"C:\\both\\bin\\client\\jvm.dll",
                               L"C:\\both\\bin\\server\\jvm.dll", L"bin\\client\\jvm.dll",
                               L"C:\\x86\\bin\\client\\jvm.dll"};
  // Only the library under C:\x86 is a 32-bit image.
  auto isX86 = [](const std::wstring& library) { return library.starts_with(L"C:\\x86\\"); };
  const struct {
    const wchar_t* path;
    JvmType type;
    const wchar_t* folder;
    const wchar_t* library;
    bool hasPairProduct = false;
  } cases[] = {
      {L"C:\\jre", JvmType::Any, L"C:\\jre\\", L"C:\\jre\\bin\\client\\jvm.dll"},
      {L"C:\\jre\\", JvmType::Any, L"C:\\jre\\", L"C:\\jre\\bin\\client\\jvm.dll"},
      {L"C:\\jre", JvmType::FavorServer, L"C:\\jre\\", L"C:\\jre\\bin\\client\\jvm.dll"},
      {L"C:\\both", JvmType::FavorServer, L"C:\\both\\", L"C:\\both\\bin\\server\\jvm.dll"},
      // A place outside the file system is never read as the current directory.
      {L"", JvmType::Any, L"", L""},
      // This 64-bit process cannot load a 32-bit runtime: only a paired product
      // can run it.
      {L"C:\\x86", JvmType::Any, L"C:\\x86\\", L""},
      {L"C:\\x86", JvmType::Any, L"C:\\x86\\", L"C:\\x86\\bin\\client\\jvm.dll", true},
      {L"C:\\jre", JvmType::Any, L"C:\\jre\\", L"C:\\jre\\bin\\client\\jvm.dll", true},
  };
  for (const auto& c : cases) {
    auto browsed = runtime::ExamineBrowsedFolder(c.path, c.type, files, c.hasPairProduct, isX86);
    EXPECT_EQ(browsed.folder, c.folder) << c.path;
    EXPECT_EQ(browsed.library, c.library) << c.path << " type " << static_cast<int>(c.type) << " pair product "
                                          << c.hasPairProduct;
  }
}

TEST(MissingRuntimeRules, DownloadAddressIsAWebAddressOrTheBuiltInOne) {
  const std::wstring builtIn = L"https://adoptium.net/";
  const struct {
    const wchar_t* value;
    std::wstring address;
  } cases[] = {
      {L"https://example.com/java", L"https://example.com/java"},
      {L"  HTTP://example.com/ ", L"HTTP://example.com/"},
      {L"http://x", L"http://x"},
      {L"", builtIn},
      {L"https://", builtIn},
      {L"file:///C:/Windows/notepad.exe", builtIn},
      {L"C:\\Windows\\notepad.exe", builtIn},
      {L"ftp://example.com/", builtIn},
      {L"https:example.com", builtIn},
      {L"https://example.com/a b", builtIn},
      {L"https://example.com/\x7F", builtIn},
      {L"xhttps://example.com/", builtIn},
  };
  for (const auto& c : cases) EXPECT_EQ(runtime::DownloadAddress(c.value), c.address) << c.value;
}

}  // namespace
