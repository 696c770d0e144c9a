// A console build of the launcher (packaged with "Console = yes" or
// "companion"): its output and every failure reach the standard streams, the
// exit code tells how it ended, and no window ever appears.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "common/exit_codes.h"
#include "tests/support/double_app.h"
#include "tests/support/launcher_app.h"
#include "tests/support/process_runner.h"
#include "tests/support/ui_driver.h"

namespace {

using testsupport::BinFile;
using testsupport::DoubleApp;
using testsupport::Process;
using testsupport::Quoted;
using testsupport::Settings;

constexpr DWORD kFailed = exitcode::kLaunchFailedCode;

// Packages the launcher into the application's executable with `console`;
// the tool's exit code.
DWORD PackageConsole(const DoubleApp& app, const std::string& console) {
  const std::wstring description = app.app.path(L"console.package");
  const std::string text = "[Package]\nConsole = " + console + "\n";
  testsupport::WriteBinaryFile(description, std::vector<unsigned char>(text.begin(), text.end()));
  const std::wstring tool = BinFile(L"package-app.exe");
  auto run = testsupport::RunProcess(tool, Quoted(tool) + L" " + Quoted(BinFile(L"launcher.exe")) + L" " +
                                               Quoted(description) + L" " + Quoted(app.app.exe()),
                                     {}, 60000);
  return run.finished ? run.exitCode : kFailed;
}

struct ConsoleRun {
  bool finished = false;
  DWORD exitCode = 0;
  std::string out, err;
  std::vector<std::wstring> windows;  // class names of the visible windows it showed
};

// Runs `exe` with its standard output and error in files, watching the
// window list while it runs; a run that shows a window is ended there.
ConsoleRun RunConsole(const DoubleApp& app, const std::wstring& exe, const std::wstring& arguments,
                      std::map<std::wstring, std::optional<std::wstring>> environment = {}) {
  testsupport::RunOptions options = app.Options(std::move(environment));
  options.stdoutFile = app.app.path(L"stdout.txt");
  options.stderrFile = app.app.path(L"stderr.txt");
  ConsoleRun run;
  {
    Process process = Process::Start(exe, Quoted(exe) + L" " + arguments, options);
    EXPECT_TRUE(process.started());
    const ULONGLONG end = GetTickCount64() + 60000;
    while (!(run.finished = process.Wait(20)) && run.windows.empty() && GetTickCount64() < end) {
      for (const auto& window : testsupport::ProcessWindows(process.id())) {
        if (window.style & WS_VISIBLE) run.windows.push_back(window.className);
      }
    }
    run.exitCode = run.finished ? process.ExitCode() : kFailed;
  }  // a process still running is killed here, and its files closed
  run.out = testsupport::ReadBytes(options.stdoutFile);
  run.err = testsupport::ReadBytes(options.stderrFile);
  return run;
}

bool Holds(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

TEST(ConsoleProgram, OutputFailuresAndExitCodesReachTheCallerWithoutAWindow) {
  const struct {
    const char* what;
    std::wstring mainClass, arguments, runtimeLines, applicationLines;
    bool runtime;  // false: no "JRE Path" and nothing else to find
    DWORD exitCode;
    std::string out, err;  // parts the streams must hold
  } cases[] = {
      {"output, with a splash configured", L"test.Echo", L"one \"two words\"", L"", L"", true, 0, "one\r\ntwo words\r\n",
       ""},
      {"arguments split as the system splits them", L"test.Echo", LR"("say \"hi\"" a\\\"b x)" L"\t" LR"(y "e""f")",
       L"", L"", true, 0, "say \"hi\"\r\na\\\"b\r\nx\r\ny\r\ne\"f\r\n", ""},
      {"System.exit beyond 8 bits", L"test.Exit", L"70000", L"", L"", true, 70000, "", ""},
      {"missing main class", L"test.Missing", L"", L"", L"", true, kFailed, "",
       "Could not find the main class test/Missing.\r\n"},
      {"uncaught exception, whatever Failure Check says", L"test.Throws", L"", L"", L"Failure Check=Yes\r\n", true, 1, "",
       "Exception in thread \"main\" "},
      {"VM not created", L"test.Echo", L"", L"Virtual Machine Parameters=-Xmx99z\r\n", L"", true, kFailed, "",
       "Invalid maximum heap size: -Xmx99z\r\nJNI exception: failed to create the Java VM\nReason: invalid "
       "arguments.\r\n"},
      {"no runtime", L"test.Echo", L"",
       L"Minimum Version=99\r\nSearch Installed Runtimes=No\r\n", L"", false, kFailed, "",
       "was not found. Please  download and install a JRE (minimum version 99.0) from:\r\nhttps://adoptium.net/\r\n"
       "Looked at \"JRE Path\", beside the executable (its folder, jre64, runtime, jre), in the registry, "
       "and at JAVA_HOME and Program Files unless \"Search Installed Runtimes\" is No. Set \"JRE Path\" in "
       "[Java Runtime Environment] of the .ini beside the executable to a runtime's folder.\r\n"},
  };
  DoubleApp app;
  ASSERT_EQ(PackageConsole(app, "yes"), 0u);
  testsupport::CopyFileTo(BinFile(L"pictures\\plain.bmp"), app.app.path(L"splash.bmp"));
  for (const auto& c : cases) {
    Settings s;
    s.mainClass = c.mainClass;
    s.runtimeLines = c.runtimeLines;
    s.applicationLines = c.applicationLines;
    app.Write(s);
    std::wstring ini = testsupport::ReadTextFile(app.app.ini());
    if (!c.runtime) ini.replace(ini.find(app.jre()), app.jre().size(), L"");
    app.app.WriteIni(ini + L"[Display]\r\nSplash Screen=" + app.app.path(L"splash.bmp") + L"\r\n");
    ConsoleRun run = RunConsole(app, app.app.exe(), c.arguments, {{L"JAVA_HOME", std::nullopt}});
    EXPECT_TRUE(run.windows.empty()) << c.what << ": a window of class " << Narrow(run.windows[0]);
    ASSERT_TRUE(run.finished) << c.what;
    EXPECT_EQ(run.exitCode, c.exitCode) << c.what << "\n" << run.err;
    EXPECT_TRUE(Holds(run.out, c.out)) << c.what << ": standard output holds \"" << run.out << "\"";
    EXPECT_TRUE(Holds(run.err, c.err)) << c.what << ": standard error holds \"" << run.err << "\"";
  }
}

TEST(ConsoleProgram, CompanionHandsItsArgumentsToTheRunningProgram) {
  DoubleApp app;
  ASSERT_EQ(PackageConsole(app, "companion"), 0u);
  const std::wstring companion = app.app.path(L"app.com");
  ASSERT_NE(GetFileAttributesW(companion.c_str()), INVALID_FILE_ATTRIBUTES) << "no .com beside the .exe";
  Settings s;
  s.mainClass = L"test.SecondaryInt";
  s.applicationLines = L"Single Instance=yes\r\n";
  app.Write(s);
  Process primary = app.Start(L"", {{L"VORN_DOUBLE_LINGER_MS", L"600000"}});
  ASSERT_TRUE(primary.started());
  const ULONGLONG end = GetTickCount64() + 60000;
  while (app.Record().Main() == nullptr && GetTickCount64() < end) Sleep(50);
  ASSERT_NE(app.Record().Main(), nullptr) << "the primary's main never ran\n" << app.RecordText();

  // Options() would start a new record: the companion's run keeps the primary's.
  testsupport::RunOptions options = app.app.WithOwnAppData({});
  options.stderrFile = app.app.path(L"stderr.txt");
  auto run = testsupport::RunProcess(companion, Quoted(companion) + L" x \"y z\"", options, 60000);
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(run.exitCode, 102u) << "the int form's answer is the argument count + 100\n"
                                << testsupport::ReadBytes(options.stderrFile);
  std::vector<std::vector<std::wstring>> received;
  for (const auto& call : app.Record().calls) {
    if (call.what == "secondaryMain") received.push_back(call.args);
  }
  EXPECT_EQ(received, (std::vector<std::vector<std::wstring>>{{L"x", L"y z"}})) << app.RecordText();
}

}  // namespace
