// Path lists handed to the virtual machine keep entries the ANSI code page
// cannot carry usable through their short form.
#include <gtest/gtest.h>

#include <map>

#include "jvm/ansi_paths.h"

namespace {

// A code page of ASCII only, and the short forms this fake disk knows.
bool AsciiOnly(std::wstring_view s) {
  for (wchar_t c : s) {
    if (c > 0x7F) return false;
  }
  return true;
}
std::wstring FakeShortPath(const std::wstring& path) {
  static const std::map<std::wstring, std::wstring> shortForms{
      {L"C:\\日本語\\a.jar", L"C:\\____~1\\a.jar"},
      {L"C:\\Ünï\\lib", L"C:\\UN~1\\lib"},
      {L"C:\\日本語\\b.jar", L"C:\\日本~1\\b.jar"},  // a short form the code page cannot carry either
  };
  auto it = shortForms.find(path);
  return it == shortForms.end() ? std::wstring() : it->second;
}

TEST(VmAnsiPaths, EntriesOutsideTheCodePageTakeTheirShortForm) {
  const struct {
    std::wstring option, expected;
  } cases[] = {
      {L"-Djava.class.path=C:\\app\\x.jar;C:\\app\\y.jar;", L"-Djava.class.path=C:\\app\\x.jar;C:\\app\\y.jar;"},
      {L"-Djava.class.path=C:\\日本語\\a.jar;C:\\app\\x.jar;", L"-Djava.class.path=C:\\____~1\\a.jar;C:\\app\\x.jar;"},
      {L"-Djava.class.path=C:\\app\\x.jar;;C:\\日本語\\a.jar", L"-Djava.class.path=C:\\app\\x.jar;;C:\\____~1\\a.jar"},
      {L"-Djava.class.path=C:\\日本語\\b.jar;C:\\日本語\\missing.jar;",
       L"-Djava.class.path=C:\\日本語\\b.jar;C:\\日本語\\missing.jar;"},  // no usable short form: kept
      {L"-Djava.library.path=C:\\Ünï\\lib;.;C:\\jre\\lib", L"-Djava.library.path=C:\\UN~1\\lib;.;C:\\jre\\lib"},
      {L"--module-path=C:\\Ünï\\lib;C:\\app", L"--module-path=C:\\UN~1\\lib;C:\\app"},
      {L"-Dname=C:\\日本語\\a.jar", L"-Dname=C:\\日本語\\a.jar"},  // only the three path lists
      {L"-Djava.class.path=", L"-Djava.class.path="},
  };
  for (const auto& c : cases) EXPECT_EQ(jvm::AnsiSafeOption(c.option, AsciiOnly, FakeShortPath), c.expected);
}

}  // namespace
