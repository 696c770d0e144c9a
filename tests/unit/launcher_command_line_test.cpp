// The process command line becomes the application's arguments.
#include <gtest/gtest.h>

#include "launcher/command_line.h"

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>
#endif

namespace {

using Args = std::vector<std::wstring>;

TEST(LauncherCommandLine, ProgramNameIsDroppedAndTheRestSplit) {
  EXPECT_EQ(launcher::ArgumentsFromCommandLine(L"\"C:\\Program Files\\App\\app.exe\""), Args{});
  EXPECT_EQ(launcher::ArgumentsFromCommandLine(L"app.exe"), Args{});
  EXPECT_EQ(launcher::ArgumentsFromCommandLine(L""), Args{});
  EXPECT_EQ(launcher::ArgumentsFromCommandLine(L"\"C:\\A B\\app.exe\" -x \"two words\" \"\""),
            (Args{L"-x", L"two words", L""}));
  EXPECT_EQ(launcher::ArgumentsFromCommandLine(L"app.exe \"abc def"), (Args{L"abc def"}));
  EXPECT_EQ(launcher::ArgumentsFromCommandLine(L"app.exe a\tb"), (Args{L"a\tb"}));
  // Blanks around the whole line are trimmed first, tabs and line ends included.
  EXPECT_EQ(launcher::ArgumentsFromCommandLine(L" \t app.exe x \r\n"), (Args{L"x"}));
}

// A console program splits as the system's parser does; a windowed one keeps
// the launcher's own rule. Under Windows each console line is also given to
// the system's CommandLineToArgvW, which must agree.
TEST(LauncherCommandLine, ConsoleProgramsSplitAsTheSystemWindowedOnesByTheirOwnRule) {
  const struct {
    const wchar_t* line;
    Args console;
    Args windowed;
  } cases[] = {
      {LR"(app.exe "say \"hi\"")", {LR"(say "hi")"}, {LR"(say \)", LR"(hi\"")"}},
      {LR"(app.exe a\\\"b)", {LR"(a\"b)"}, {LR"(a\\\"b)"}},
      {LR"(app.exe "e""f")", {LR"(e"f)"}, {L"e", L"f"}},
      {LR"(app.exe "a""b" c)", {LR"(a"b c)"}, {L"a", L"b", L"c"}},
      {LR"(app.exe """a""" "b""""c")", {LR"("a")", LR"(b"c)"}, {L"", L"a", L"", L"b", L"", L"c"}},
      {L"app.exe a\tb", {L"a", L"b"}, {L"a\tb"}},
      {LR"(app.exe "C:\" x)", {LR"(C:" x)"}, {LR"(C:\)", L"x"}},
      {LR"(app.exe a\\b "c d\\\\" "")", {LR"(a\\b)", LR"(c d\\)", L""}, {LR"(a\\b)", LR"(c d\\\\)", L""}},
      {LR"("C:\A B\app.exe"x  "abc )", {L"x", L"abc "}, {L"x", L"abc"}},
      {L"app.exe", {}, {}},
      // A line that starts with a blank has an empty program name: all of it is arguments.
      {L" a b", {L"a", L"b"}, {L"b"}},
      {LR"(  "PROGRAM" a b)", {L"PROGRAM", L"a", L"b"}, {L"a", L"b"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(launcher::ArgumentsFromCommandLine(c.line, true), c.console) << "console: " << c.line;
    EXPECT_EQ(launcher::ArgumentsFromCommandLine(c.line), c.windowed) << "windowed: " << c.line;
#ifdef _WIN32
    int count = 0;
    LPWSTR* system = CommandLineToArgvW(c.line, &count);
    ASSERT_NE(system, nullptr);
    EXPECT_EQ(Args(system + 1, system + count), c.console) << "CommandLineToArgvW: " << c.line;
    LocalFree(system);
#endif
  }
}

TEST(LauncherCommandLine, NoSplashSwitchMatchesWholeElementsExactly) {
  EXPECT_TRUE(launcher::HasNoSplashSwitch({L"-nosplash"}));
  EXPECT_TRUE(launcher::HasNoSplashSwitch({L"a", L"b", L"/nosplash"}));
  EXPECT_TRUE(launcher::HasNoSplashSwitch({L"x", L"-nosplash", L"y"}));
  EXPECT_FALSE(launcher::HasNoSplashSwitch({L"-NOSPLASH"}));
  EXPECT_FALSE(launcher::HasNoSplashSwitch({L"-nosplash2", L"--nosplash", L" -nosplash"}));
  EXPECT_FALSE(launcher::HasNoSplashSwitch({}));
}

}  // namespace
