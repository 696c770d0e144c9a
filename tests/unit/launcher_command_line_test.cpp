// The process command line becomes the application's arguments.
#include <gtest/gtest.h>

#include "launcher/command_line.h"

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

TEST(LauncherCommandLine, NoSplashSwitchMatchesWholeElementsExactly) {
  EXPECT_TRUE(launcher::HasSwitch({L"-nosplash"}));
  EXPECT_TRUE(launcher::HasSwitch({L"a", L"b", L"/nosplash"}));
  EXPECT_TRUE(launcher::HasSwitch({L"x", L"-nosplash", L"y"}));
  EXPECT_FALSE(launcher::HasSwitch({L"-NOSPLASH"}));
  EXPECT_FALSE(launcher::HasSwitch({L"-nosplash2", L"--nosplash", L" -nosplash"}));
  EXPECT_FALSE(launcher::HasSwitch({}));
}

}  // namespace
