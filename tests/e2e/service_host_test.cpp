// The launcher as a Windows service under Wine's Service Control Manager:
// started, running once main runs, stopped through the application's own
// serviceStop (or System.exit(0) without one), the Java exit code and a
// launcher failure read back as the manager's exit codes; the same executable
// started any other way runs as an ordinary program.
//
// A service's environment is the manager's, not the test's: the double's
// record and the diagnostics log are named in the service's own "Environment"
// value. The suite's tests run one after another in this one process, which
// also keeps the prefix alive (Wine ends services once its last ordinary
// process is gone).
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

#include "tests/support/double_app.h"
#include "tests/support/process_runner.h"
#include "tests/support/service_client.h"

namespace {

using testsupport::DoubleApp;
using testsupport::Quoted;
using testsupport::Settings;
using testsupport::TestService;

// The service's own variables, in its key's "Environment" value.
void SetServiceEnvironment(const std::wstring& service, const std::wstring& variables) {
  const std::wstring key = L"System\\CurrentControlSet\\Services\\" + service;
  RegSetKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), L"Environment", REG_MULTI_SZ, variables.c_str(),
                  static_cast<DWORD>((variables.size() + 1) * sizeof(wchar_t)));
}

class ServiceHost : public ::testing::Test {
 protected:
  std::wstring logFile() const { return app.app.path(L"launcher.log"); }
  std::string Log() const { return testsupport::ReadBytes(logFile()); }

  // A service settings file for `mainClass`, and the service of this test.
  std::unique_ptr<TestService> MakeService(const std::wstring& mainClass, const std::wstring& arguments = L"") {
    Settings settings;
    settings.mainClass = mainClass;
    settings.applicationLines = L"Application Type=service\r\nService Stop Timeout=20\r\n";
    app.Write(settings);
    const std::wstring name = std::wstring(L"VornServiceHost") +
                              testsupport::FromUtf8(::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::wstring commandLine = Quoted(app.app.exe());
    if (!arguments.empty()) commandLine += L" " + arguments;
    auto service = std::make_unique<TestService>(name, commandLine);
    EXPECT_TRUE(service->created()) << "CreateServiceW failed: " << GetLastError();
    SetServiceEnvironment(name, L"VORN_DOUBLE_RECORD=" + app.recordFile() + std::wstring(1, L'\0') +
                                    L"VORN_LAUNCHER_LOG=" + logFile() + std::wstring(1, L'\0'));
    return service;
  }

  DoubleApp app;
};

TEST_F(ServiceHost, StopCallsServiceStopAndEndsWithCodeZero) {
  auto service = MakeService(L"test.Service");
  ASSERT_TRUE(service->created());
  EXPECT_EQ(service->Start(), 0u);
  auto running = service->WaitForState(SERVICE_RUNNING);
  ASSERT_TRUE(running && running->dwCurrentState == SERVICE_RUNNING) << Log();
  EXPECT_TRUE(running->dwControlsAccepted & SERVICE_ACCEPT_STOP);
  ASSERT_NE(app.Record().Main(), nullptr) << app.RecordText();  // RUNNING once main has started
  // The manager starts services in the system folder; the launch runs in its own.
  EXPECT_EQ(app.Record().cwd, app.app.folder().path());

  EXPECT_EQ(service->Stop(), 0u);
  auto stopped = service->WaitForState(SERVICE_STOPPED);
  ASSERT_TRUE(stopped && stopped->dwCurrentState == SERVICE_STOPPED) << Log();
  EXPECT_EQ(stopped->dwWin32ExitCode, 0u);
  EXPECT_EQ(stopped->dwServiceSpecificExitCode, 0u);
  const auto record = app.Record();
  EXPECT_EQ(record.LinesStartingWith("serviceStop").size(), 1u) << app.RecordText();
  EXPECT_EQ(record.LinesStartingWith("service main returns").size(), 1u) << app.RecordText();
  EXPECT_TRUE(record.destroyCalled) << app.RecordText();
  app.ExpectCleanJniUse();
}

TEST_F(ServiceHost, StopWithoutServiceStopExitsTheVmWithZero) {
  auto service = MakeService(L"test.ServiceNoStop");
  ASSERT_TRUE(service->created());
  EXPECT_EQ(service->Start(), 0u);
  auto running = service->WaitForState(SERVICE_RUNNING);
  ASSERT_TRUE(running && running->dwCurrentState == SERVICE_RUNNING) << Log();
  EXPECT_EQ(service->Stop(), 0u);
  auto stopped = service->WaitForState(SERVICE_STOPPED);
  ASSERT_TRUE(stopped && stopped->dwCurrentState == SERVICE_STOPPED) << Log();
  EXPECT_EQ(stopped->dwWin32ExitCode, 0u);
  EXPECT_EQ(app.Record().exitCode, 0) << app.RecordText();  // System.exit(0): the shutdown hooks run
  EXPECT_TRUE(app.Record().exitHookCalled) << app.RecordText();
}

TEST_F(ServiceHost, JavaExitCodeIsTheServiceSpecificCode) {
  auto service = MakeService(L"test.Exit", L"3");
  ASSERT_TRUE(service->created());
  service->Start();  // it may end before the manager hears RUNNING
  auto stopped = service->WaitForState(SERVICE_STOPPED);
  ASSERT_TRUE(stopped && stopped->dwCurrentState == SERVICE_STOPPED) << Log();
  EXPECT_EQ(stopped->dwWin32ExitCode, static_cast<DWORD>(ERROR_SERVICE_SPECIFIC_ERROR));
  EXPECT_EQ(stopped->dwServiceSpecificExitCode, 3u);
  EXPECT_EQ(app.Record().exitCode, 3) << app.RecordText();
}

TEST_F(ServiceHost, LauncherFailureStopsWithAWindowsCodeAndNoBox) {
  auto service = MakeService(L"");  // no main class: a box in an ordinary run
  ASSERT_TRUE(service->created());
  service->Start();
  // A box would hold the service in START_PENDING for good.
  auto stopped = service->WaitForState(SERVICE_STOPPED);
  ASSERT_TRUE(stopped && stopped->dwCurrentState == SERVICE_STOPPED) << Log();
  EXPECT_EQ(stopped->dwWin32ExitCode, 575u);  // ERROR_APP_INIT_FAILURE
  const std::string log = Log();
  EXPECT_NE(log.find("failure, message 210"), std::string::npos) << log;
  EXPECT_NE(log.find("error to the event log: "), std::string::npos) << log;
  EXPECT_EQ(log.find("error box: "), std::string::npos) << log;
}

TEST_F(ServiceHost, StartedOutsideTheManagerRunsAsAnOrdinaryProgram) {
  Settings settings;
  settings.applicationLines = L"Application Type=service\r\n";
  app.Write(settings);
  const auto run = app.Run(L"one two", {{L"VORN_LAUNCHER_LOG", logFile()}});
  ASSERT_TRUE(run.result.finished);
  EXPECT_EQ(run.result.exitCode, 0u);
  EXPECT_TRUE(run.boxes.empty());
  EXPECT_EQ(app.MainArguments(), (std::vector<std::wstring>{L"one", L"two"}));
  EXPECT_NE(Log().find("not running as a service: error 1063"), std::string::npos) << Log();
}

}  // namespace
