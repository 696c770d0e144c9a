// Which runtime a real launcher copy picks among the classic sources.
#include <gtest/gtest.h>

#include "runtime/pe_image.h"
#include "tests/fixtures/chosen_library.h"
#include "tests/fixtures/runtime_registry.h"
#include "tests/support/launcher_app.h"
#include "tests/support/test_files.h"

namespace {

using runtimetest::ChosenLibrary;
using runtimetest::VendorKeys;
using runtimetest::View;
using testsupport::WriteOtherMachineLibrary;
using testsupport::WriteUnloadableLibrary;

class RuntimeChoiceEndToEnd : public testing::Test {
 protected:
  VendorKeys keys_;
  testsupport::AppFolder app_;
  testsupport::TempFolder runtimes_;
};

TEST_F(RuntimeChoiceEndToEnd, PrivateRuntimeBesideTheExecutableOrInJre64) {
  WriteUnloadableLibrary(runtimes_ / L"jre8\\bin\\client\\jvm.dll");
  ASSERT_TRUE(VendorKeys::Register(View::Native, 1, L"1.8", runtimes_ / L"jre8"));

  WriteUnloadableLibrary(app_.path(L"jre64\\bin\\java.dll"));
  WriteUnloadableLibrary(app_.path(L"jre64\\bin\\server\\jvm.dll"));
  EXPECT_EQ(ChosenLibrary(app_, L"JVM Type=favor_server\r\n"), app_.path(L"jre64\\bin\\server\\jvm.dll"));

  WriteUnloadableLibrary(app_.path(L"bin\\java.dll"));
  WriteUnloadableLibrary(app_.path(L"bin\\hotspot\\jvm.dll"));
  EXPECT_EQ(ChosenLibrary(app_, L""), app_.path(L"bin\\hotspot\\jvm.dll"))
      << "the executable's own folder comes before its jre64";
  EXPECT_EQ(ChosenLibrary(app_, L"JVM Type=server\r\n"), L"(none)")
      << "a private runtime without a server library must not serve JVM Type server, nor fall back to jre64 or "
         "the registry's client library";
}

TEST_F(RuntimeChoiceEndToEnd, BundledRuntimeInRuntimeThenJreBeforeTheRegistry) {
  WriteUnloadableLibrary(runtimes_ / L"jre8\\bin\\client\\jvm.dll");
  ASSERT_TRUE(VendorKeys::Register(View::Native, 1, L"1.8", runtimes_ / L"jre8"));

  WriteUnloadableLibrary(app_.path(L"jre\\bin\\java.dll"));
  WriteUnloadableLibrary(app_.path(L"jre\\bin\\server\\jvm.dll"));
  EXPECT_EQ(ChosenLibrary(app_, L""), app_.path(L"jre\\bin\\server\\jvm.dll"))
      << "a runtime in jre\\ comes before a registered one";

  WriteUnloadableLibrary(app_.path(L"runtime\\bin\\java.dll"));
  WriteUnloadableLibrary(app_.path(L"runtime\\bin\\client\\jvm.dll"));
  WriteUnloadableLibrary(app_.path(L"runtime\\bin\\server\\jvm.dll"));
  EXPECT_EQ(ChosenLibrary(app_, L"JVM Type=favor_server\r\n"), app_.path(L"runtime\\bin\\server\\jvm.dll"))
      << "runtime\\ comes before jre\\, with the library JVM Type chooses";
  EXPECT_EQ(ChosenLibrary(app_, L""), app_.path(L"runtime\\bin\\client\\jvm.dll"));
}

TEST_F(RuntimeChoiceEndToEnd, JrePathComesFirst) {
  WriteUnloadableLibrary(app_.path(L"bin\\java.dll"));
  WriteUnloadableLibrary(app_.path(L"bin\\client\\jvm.dll"));
  WriteUnloadableLibrary(runtimes_ / L"configured\\bin\\classic\\jvm.dll");
  EXPECT_EQ(ChosenLibrary(app_, L"JRE Path=" + runtimes_.path() + L"\\configured\r\nMinimum Version=99\r\n"),
            runtimes_ / L"configured\\bin\\classic\\jvm.dll");
  EXPECT_EQ(ChosenLibrary(app_, L"JRE Path=" + runtimes_.path() + L"\\missing\r\n"),
            app_.path(L"bin\\client\\jvm.dll"));
}

TEST_F(RuntimeChoiceEndToEnd, RegistrationsFilteredByTheSettingsFile) {
  WriteUnloadableLibrary(runtimes_ / L"jdk6\\jre\\bin\\client\\jvm.dll");
  WriteUnloadableLibrary(runtimes_ / L"jre7\\bin\\client\\jvm.dll");
  ASSERT_TRUE(VendorKeys::Register(View::Native, 0, L"1.6.0_31", runtimes_ / L"jdk6"));
  ASSERT_TRUE(VendorKeys::Register(View::Native, 1, L"1.7", runtimes_ / L"jre7"));
  const std::wstring jdk = runtimes_ / L"jdk6\\jre\\bin\\client\\jvm.dll";
  const std::wstring jre = runtimes_ / L"jre7\\bin\\client\\jvm.dll";
  struct Case {
    std::wstring settings, library;
  };
  const Case cases[] = {
      {L"", jre},
      {L"Maximum Version=1.6\r\n", jdk},
      {L"Preferred versions=1.6;1.7\r\n", jdk},
      {L"Preferred versions=1.8\r\n", jre},
      {L"JVM Source=favor_JDK\r\n", jdk},
      {L"JVM Source=only_JRE\r\nMaximum Version=1.6\r\n", L"(none)"},
      {L"Minimum Version=1.7.0_1\r\n", L"(none)"},
      {L"VM Provider=ibm\r\n", L"(none)"},
  };
  for (const Case& c : cases) EXPECT_EQ(ChosenLibrary(app_, c.settings), c.library) << "settings:\n" << c.settings;
}

TEST_F(RuntimeChoiceEndToEnd, NativeViewComesBeforeThe32BitView) {
  WriteUnloadableLibrary(runtimes_ / L"jre32\\bin\\client\\jvm.dll");
  ASSERT_TRUE(VendorKeys::Register(View::Bits32, 1, L"1.8", runtimes_ / L"jre32"));
  WriteUnloadableLibrary(runtimes_ / L"jre64\\bin\\client\\jvm.dll");
  ASSERT_TRUE(VendorKeys::Register(View::Native, 1, L"1.6", runtimes_ / L"jre64"));
  EXPECT_EQ(ChosenLibrary(app_, L"[Application]\r\nPair Product=" + app_.path(L"app32.exe") + L"\r\n"),
            runtimes_ / L"jre64\\bin\\client\\jvm.dll")
      << "the native view comes before the 32-bit one";
}

TEST_F(RuntimeChoiceEndToEnd, LibrariesOfAnotherMachineArePassedOverAndTheLogSaysWhy) {
  // The launcher is built for the same machine as this test.
  const std::wstring because = runtime::kProcessMachine == runtime::kMachineArm64 ? L": built for x64, this launcher runs as ARM64"
                                     : L": built for ARM64, this launcher runs as x64";
  const std::wstring configured = runtimes_ / L"configured\\bin\\server\\jvm.dll";
  const std::wstring beside = app_.path(L"bin\\client\\jvm.dll");
  const std::wstring registered = runtimes_ / L"jre9\\bin\\client\\jvm.dll";
  WriteOtherMachineLibrary(configured);
  WriteUnloadableLibrary(app_.path(L"bin\\java.dll"));
  WriteOtherMachineLibrary(beside);
  WriteOtherMachineLibrary(registered);
  ASSERT_TRUE(VendorKeys::Register(View::Native, 1, L"9", runtimes_ / L"jre9"));
  WriteUnloadableLibrary(runtimes_ / L"jre8\\bin\\client\\jvm.dll");
  ASSERT_TRUE(VendorKeys::Register(View::Native, 1, L"1.8", runtimes_ / L"jre8"));

  app_.WriteIni(L"[Java Runtime Environment]\r\nMain Class=app.Main\r\nJRE Path=" + runtimes_.path() +
                L"\\configured\r\n");
  testsupport::RunOptions options;
  options.environment[L"VORN_LAUNCHER_LOG"] = app_.path(L"run.log");
  testsupport::LauncherRun run = app_.Run(L"", options);
  ASSERT_TRUE(run.result.finished);
  EXPECT_EQ(testsupport::FailedLibrary(run), runtimes_ / L"jre8\\bin\\client\\jvm.dll")
      << "\"JRE Path\", the private runtime and the newer registration hold libraries of another machine";
  const std::wstring log = testsupport::ReadTextFile(app_.path(L"run.log"));
  for (const std::wstring& library : {configured, beside, registered}) {
    EXPECT_NE(log.find(L"passed over " + library + because), std::wstring::npos) << "the log reads:\n" << log;
  }
}

// A document opened through its file type starts the application in the
// document's folder: nothing of that folder may be loaded.
TEST_F(RuntimeChoiceEndToEnd, NothingIsLoadedFromTheCurrentFolder) {
  testsupport::TempFolder planted;
  WriteUnloadableLibrary(planted / L"jre\\bin\\server\\jvm.dll");
  WriteUnloadableLibrary(planted / L"jdk\\bin\\server\\jvm.dll");
  WriteUnloadableLibrary(app_.path(L"bin\\java.dll"));
  WriteUnloadableLibrary(app_.path(L"bin\\client\\jvm.dll"));
  auto chosen = [&](const std::wstring& settings, const std::wstring& javaHome = L"") {
    app_.WriteIni(L"[Java Runtime Environment]\r\nMain Class=app.Main\r\n" + settings);
    testsupport::RunOptions options;
    options.workingDirectory = planted.path();
    options.environment[L"JAVA_HOME"] = javaHome.empty() ? std::nullopt : std::optional<std::wstring>(javaHome);
    return testsupport::FailedLibrary(app_.Run(L"", options));
  };
  EXPECT_EQ(chosen(L"JRE Path=jre\r\n"), app_.path(L"bin\\client\\jvm.dll"))
      << "a relative \"JRE Path\" is the executable's folder's: without a jre there, the private runtime serves";
  EXPECT_EQ(chosen(L"JRE Path=.\\jre\r\nMinimum Version=99\r\n"), app_.path(L"bin\\client\\jvm.dll"));
  EXPECT_EQ(chosen(L"JRE Path=\r\nJVM Type=server\r\n", L"jdk"), L"(none)") << "JAVA_HOME=jdk is no full path";
  WriteUnloadableLibrary(app_.path(L"jre\\bin\\server\\jvm.dll"));
  EXPECT_EQ(chosen(L"JRE Path=jre\r\n"), app_.path(L"jre\\bin\\server\\jvm.dll"));

  // A dependency of the runtime's library is never taken from the current folder either.
  const std::wstring dependent = runtimes_ / L"dependent\\bin\\server\\jvm.dll";
  testsupport::CopyFileTo(testsupport::BinFile(L"fixtures\\missing-dependency\\jvm.dll"), dependent);
  testsupport::CopyFileTo(testsupport::BinFile(L"fixtures\\planted\\vorn_absent.dll"), planted / L"vorn_absent.dll");
  app_.WriteIni(L"[Java Runtime Environment]\r\nMain Class=app.Main\r\nJRE Path=" + runtimes_ / L"dependent" + L"\r\n");
  testsupport::RunOptions options;
  options.workingDirectory = planted.path();
  const testsupport::LauncherRun run = app_.Run(L"", options);
  ASSERT_EQ(run.boxes.size(), 1u);
  EXPECT_NE(run.boxes[0].StaticText().find(L"(errno = 126)"), std::wstring::npos)
      << "the planted vorn_absent.dll was loaded: " << run.boxes[0].StaticText();
}

}  // namespace
