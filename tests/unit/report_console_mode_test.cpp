// Whether the launcher is a console program, read from its own image header
// (windowed copies are checked end to end).
#include <gtest/gtest.h>

#include "report/console_mode.h"

namespace {

TEST(ConsoleMode, AConsoleProgramShowsNoWindow) {
  // This test program is itself a console program.
  EXPECT_TRUE(report::IsConsoleProgram());
}

}  // namespace
