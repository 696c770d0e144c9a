// "User VM Options" end to end: the user's own options file in the per-user
// folder reaches the VM after "Virtual Machine Parameters", and nothing of it
// without the setting, for a service or an elevated start, or from a bad or
// missing file. Wine runs every process elevated: the starts that may read
// the file are made with the runner's limited token.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/support/double_app.h"
#include "tests/support/process_runner.h"
#include "tests/support/test_files.h"

namespace {

using testsupport::DoubleApp;
using testsupport::Settings;

std::string Narrow(const std::wstring& ascii) { return std::string(ascii.begin(), ascii.end()); }

class VmUserOptions : public testing::Test {
 protected:
  // A start with `lines` in the two sections; the options the double received
  // after the configured parameters, up to the launcher's own -Dsun.java.command.
  std::vector<std::string> Start(const std::wstring& runtimeLines, const std::wstring& applicationLines = L"",
                                 bool unelevated = true) {
    Settings s;
    s.runtimeLines = runtimeLines + L"Virtual Machine Parameters=-Xmx64m -Dconfigured=1\r\n";
    s.applicationLines = applicationLines + L"[Product Information]\r\nProduct Name=User: Opts?\r\nProduct Code={C0DE}\r\n";
    app.Write(s);
    testsupport::RunOptions runOptions = app.Options({{L"VORN_LAUNCHER_LOG", log()}});
    runOptions.unelevated = unelevated;
    auto run = app.app.Run(L"", runOptions);
    EXPECT_TRUE(run.result.finished);
    EXPECT_EQ(run.result.exitCode, 0u) << app.RecordText();
    EXPECT_TRUE(run.boxes.empty());
    const std::vector<std::string> options = app.Options();
    const auto configured = std::find(options.begin(), options.end(), "-Dconfigured=1");
    const auto own = std::find_if(options.begin(), options.end(),
                                  [](const std::string& o) { return o.starts_with("-Dsun.java.command="); });
    EXPECT_TRUE(configured != options.end() && configured < own) << app.RecordText();
    if (configured == options.end() || configured >= own) return {};
    return std::vector<std::string>(configured + 1, own);
  }
  // The file in the folder of the per-user settings file: product name cleaned.
  std::wstring file() const { return app.app.path(L"AppData\\User Opts\\{C0DE}\\app.vmoptions"); }
  std::wstring log() const { return app.app.path(L"launch.log"); }
  std::string LogText() const { return Narrow(testsupport::ReadTextFile(log())); }

  DoubleApp app;
};

const char kUtf8File[] =
    "\xEF\xBB\xBF# more memory for big projects\r\n\r\n  -Xmx4g  \r\n\t-Dspaced=a b\r\n#-Dnot=taken\r\n"
    "-Xms0:32:32P\r\n";

TEST_F(VmUserOptions, FileOptionsFollowTheConfiguredOnesInOrder) {
  testsupport::WriteBinaryFile(file(), std::vector<unsigned char>(std::begin(kUtf8File), std::end(kUtf8File) - 1));
  const std::vector<std::string> utf8 = {"-Xmx4g", "-Dspaced=a b", "-Xms32768K"};
  EXPECT_EQ(Start(L"User VM Options=yes\r\n"), utf8) << app.RecordText();
  EXPECT_NE(LogText().find("User VM options file " + Narrow(file()) + ": read"), std::string::npos) << LogText();
  EXPECT_NE(LogText().find("User VM option -Dspaced=a b"), std::string::npos) << LogText();

  testsupport::WriteTextFile(file(), L"-Dfile.encoding=UTF-8\r\n\r\n# note\r\n -Xss2m\r\n");
  const std::vector<std::string> utf16 = {"-Dfile.encoding=UTF-8", "-Xss2m"};
  EXPECT_EQ(Start(L"User VM Options=YES\r\n"), utf16) << app.RecordText();
}

TEST_F(VmUserOptions, NothingWithoutTheSettingForAServiceOrFromABadHugeOrMissingFile) {
  testsupport::WriteTextFile(file(), L"-Xmx4g\r\n");
  EXPECT_EQ(Start(L""), std::vector<std::string>{});
  EXPECT_NE(LogText().find("User VM options file " + Narrow(file()) + ": off"), std::string::npos) << LogText();
  EXPECT_EQ(Start(L"User VM Options=Yes\r\n", L"Application Type=service\r\n"), std::vector<std::string>{});
  EXPECT_NE(LogText().find("User VM options file " + Narrow(file()) + ": service"), std::string::npos) << LogText();

  // A malformed file is passed over; the start goes on.
  testsupport::WriteBinaryFile(file(), {'-', 'X', 'm', 'x', '4', 'g', '\n', 0xFF});
  EXPECT_EQ(Start(L"User VM Options=Yes\r\n"), std::vector<std::string>{});
  EXPECT_NE(LogText().find(": malformed"), std::string::npos) << LogText();

  // Far over the bound (2 GB, sparse): refused as too large from its first
  // bytes, not read whole.
  {
    HANDLE huge = CreateFileW(file().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(huge, INVALID_HANDLE_VALUE);
    LARGE_INTEGER end{};
    end.QuadPart = 2LL << 30;
    const bool sized = SetFilePointerEx(huge, end, nullptr, FILE_BEGIN) && SetEndOfFile(huge);
    CloseHandle(huge);
    ASSERT_TRUE(sized);
  }
  EXPECT_EQ(Start(L"User VM Options=Yes\r\n"), std::vector<std::string>{});
  EXPECT_NE(LogText().find("User VM options file " + Narrow(file()) + ": too large"), std::string::npos) << LogText();

  DeleteFileW(file().c_str());
  EXPECT_EQ(Start(L"User VM Options=Yes\r\n"), std::vector<std::string>{});
  EXPECT_NE(LogText().find("User VM options file " + Narrow(file()) + ": nothing read"), std::string::npos) << LogText();
}

TEST_F(VmUserOptions, NothingForAnElevatedStart) {
  if (!testsupport::RunsElevated()) GTEST_SKIP() << "the runner is not elevated: no elevated start to make";
  testsupport::WriteTextFile(file(), L"-Xmx4g\r\n");
  EXPECT_EQ(Start(L"User VM Options=Yes\r\n", L"", false), std::vector<std::string>{});
  EXPECT_NE(LogText().find("User VM options file " + Narrow(file()) + ": elevated"), std::string::npos) << LogText();
}

}  // namespace
