// Values that stand only in a "+" section of the settings file reach every
// part of the launch that reads them, and the list values of a "+" section
// join the embedded ones as further entries. The runtime search keys are
// seen through registrations whose libraries cannot be loaded: the load
// failure box names the library the search chose.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "tests/fixtures/runtime_registry.h"
#include "tests/support/double_app.h"
#include "tests/support/launcher_app.h"

namespace {

using runtimetest::VendorKeys;
using runtimetest::View;
using testsupport::DoubleApp;
using testsupport::LauncherRun;

const std::wstring kJre = L"Java Runtime Environment";
const std::wstring kApp = L"Application";
const std::wstring kCp = L"Class Path";
const std::wstring kInfo = L"Product Information";

std::string Narrow(const std::wstring& ascii) { return std::string(ascii.begin(), ascii.end()); }

struct Entry {
  std::wstring section, key, value;
};

// The settings text: each section once, in the order the entries name them.
std::wstring IniText(const std::vector<Entry>& entries) {
  std::vector<std::wstring> sections;
  for (const Entry& e : entries) {
    if (std::find(sections.begin(), sections.end(), e.section) == sections.end()) sections.push_back(e.section);
  }
  std::wstring text;
  for (const std::wstring& section : sections) {
    text += L"[" + section + L"]\r\n";
    for (const Entry& e : entries) {
      if (e.section == section) text += e.key + L"=" + e.value + L"\r\n";
    }
  }
  return text;
}

class SettingsPlusSection : public testing::Test {
 protected:
  void SetUp() override {
    testsupport::WriteUnloadableLibrary(Library(L"sun8"));
    testsupport::WriteUnloadableLibrary(runtimes_ / L"jdk6\\jre\\bin\\client\\jvm.dll");
    testsupport::WriteUnloadableLibrary(Library(L"ibm7"));
    ASSERT_TRUE(VendorKeys::Register(View::Native, 1, L"1.8", runtimes_ / L"sun8"));
    ASSERT_TRUE(VendorKeys::Register(View::Native, 0, L"1.6", runtimes_ / L"jdk6"));
    ASSERT_TRUE(VendorKeys::Register(View::Native, 4, L"1.7", runtimes_ / L"ibm7"));
    for (const wchar_t* jar : {L"lib\\a.jar", L"lib\\b.jar"}) {
      testsupport::WriteTextFile(app_.app.path(jar), L"x", testsupport::Encoding::Ansi);
    }
  }

  std::wstring Library(const std::wstring& home) const { return runtimes_ / (home + L"\\bin\\client\\jvm.dll"); }
  std::wstring Folder() const { return app_.app.folder().path(); }

  // Writes the settings; the options run the copy from another folder, with a
  // per-user folder of the test's own.
  testsupport::RunOptions Prepare(const std::vector<Entry>& entries) const {
    app_.app.WriteIni(IniText(entries));
    testsupport::RunOptions options = app_.Options({{L"APPDATA", appData_.path()}});
    options.workingDirectory = elsewhere_.path();
    // An elevated start (every Wine process is one) never reads the per-user file.
    options.unelevated = true;
    return options;
  }
  LauncherRun RunWith(const std::vector<Entry>& entries) const { return app_.app.Run(L"", Prepare(entries)); }

  // Runs the copy up to its "Java Exception" dialog and lets the exception pass.
  void ExpectExceptionDialog(const std::vector<Entry>& entries) const {
    testsupport::Process process =
        testsupport::Process::Start(app_.app.exe(), testsupport::Quoted(app_.app.exe()), Prepare(entries));
    ASSERT_TRUE(process.started());
    auto dialog = testsupport::WaitForWindow(
        process.id(), 30000, [](const testsupport::WindowInfo& w) { return w.caption == L"Java Exception"; },
        process.handle());
    EXPECT_TRUE(dialog.has_value()) << "no \"Java Exception\" dialog\n" << app_.RecordText();
    if (dialog) testsupport::PressButton(dialog->hwnd, IDOK);
    EXPECT_TRUE(process.Wait(30000));
    EXPECT_EQ(process.ExitCode(), 0u) << "Ignore lets the run end with 0";
  }

  VendorKeys keys_;
  testsupport::TempFolder runtimes_, appData_, elsewhere_;
  DoubleApp app_;
};

TEST_F(SettingsPlusSection, EachConsumerTakesItsValueFromThePlusSectionAlone) {
  const DoubleApp& app = app_;
  const std::string folder = Narrow(Folder());
  // A runtime with an unloadable client library and the double as its server one.
  const std::wstring both = app.app.path(L"both");
  testsupport::WriteUnloadableLibrary(both + L"\\bin\\client\\jvm.dll");
  testsupport::CopyFileTo(testsupport::BinFile(L"double\\jvm.dll"), both + L"\\bin\\server\\jvm.dll");
  // A per-user file whose "JRE Path" would lead the search astray.
  testsupport::WriteTextFile(appData_ / L"PlusApp\\P\\app.ini",
                             L"[Java Runtime Environment]\r\nJRE Path=" + runtimes_ / L"missing" + L"\r\n");

  auto runs = [](const LauncherRun& run, const DoubleApp& app) {
    EXPECT_EQ(run.result.exitCode, 0u) << app.RecordText();
    EXPECT_TRUE(run.boxes.empty());
    EXPECT_NE(app.Record().Main(), nullptr) << app.RecordText();
  };
  auto chose = [](const std::wstring& library) {
    return [library](const LauncherRun& run, const DoubleApp&) {
      EXPECT_EQ(testsupport::FailedLibrary(run), library);
    };
  };
  struct Case {
    const char* what;
    std::vector<Entry> plain;  // the file's own sections, beside the defaults they do not name
    std::vector<Entry> plus;   // the "+" sections
    std::function<void(const LauncherRun&, const DoubleApp&)> check;  // none: the exception dialog is expected
  };
  const Case cases[] = {
      {"Main Class", {}, {{kJre, L"Main Class", L"test.Echo"}},
       [&](const LauncherRun& run, const DoubleApp& app) {
         runs(run, app);
         const auto record = app.Record();
         if (record.Main() != nullptr) {
           EXPECT_EQ(record.Main()->className, "test/Echo");
         }
       }},
      {"Class Path with a relative first entry", {}, {{kCp, L"Class Path", L"lib\\a.jar;C:\\abs.jar"}},
       [&](const LauncherRun& run, const DoubleApp& app) {
         runs(run, app);
         EXPECT_EQ(app.Values("classpath="), std::vector<std::string>{folder + "\\lib\\a.jar;C:\\abs.jar"});
       }},
      {"Output File and Error File",
       {{kJre, L"Main Class", L"test.ErrWriter"}},
       {{kApp, L"Output File", app.app.path(L"out.txt")}, {kApp, L"Error File", app.app.path(L"err.txt")}},
       [&](const LauncherRun& run, const DoubleApp& app) {
         runs(run, app);
         EXPECT_EQ(testsupport::ReadBytes(app.app.path(L"out.txt")), "line to System.out\r\n");
         EXPECT_EQ(testsupport::ReadBytes(app.app.path(L"err.txt")), "line to System.err\r\n");
       }},
      {"Library Path", {}, {{kJre, L"Library Path", L"C:\\native"}},
       [&](const LauncherRun& run, const DoubleApp& app) {
         runs(run, app);
         const auto options = app.Options();
         ASSERT_GE(options.size(), 2u);
         EXPECT_EQ(options[1].rfind("-Djava.library.path=C:\\native;" + folder + "\\;", 0), 0u) << options[1];
       }},
      {"System Path", {}, {{kJre, L"System Path", L"C:\\tools"}},
       [&](const LauncherRun& run, const DoubleApp& app) {
         runs(run, app);
         const auto path = app.Values("env Path=");
         ASSERT_EQ(path.size(), 1u);
         EXPECT_EQ(path[0].rfind("C:\\tools;", 0), 0u) << path[0];
       }},
      {"JRE Path", {{kJre, L"JRE Path", L""}}, {{kJre, L"JRE Path", app.jre()}}, runs},
      {"Embedded Jar", {{kCp, L"Class Path", L""}}, {{kApp, L"Embedded Jar", L"yes"}},
       [&](const LauncherRun& run, const DoubleApp& app) {
         runs(run, app);
         EXPECT_EQ(app.Values("classpath="), std::vector<std::string>{Narrow(app.app.exe())});
       }},
      {"Failure Check", {{kJre, L"Main Class", L"test.Throws"}}, {{kApp, L"Failure Check", L"YES"}}, nullptr},
      {"Override WorkingDir", {}, {{kApp, L"Override WorkingDir", L"Yes"}},
       [&](const LauncherRun& run, const DoubleApp& app) {
         runs(run, app);
         EXPECT_EQ(_wcsicmp(app.Record().cwd.c_str(), Folder().c_str()), 0) << app.RecordText();
       }},
      {"JVM Type", {{kJre, L"JRE Path", both}}, {{kJre, L"JVM Type", L"server"}},
       [&](const LauncherRun& run, const DoubleApp& app) {
         runs(run, app);
         EXPECT_EQ(app.Values("env VORN_JVM_PATH="), std::vector<std::string>{Narrow(both) + "\\bin\\server\\jvm.dll"});
       }},
      {"Application Type",
       {{kInfo, L"Product Name", L"PlusApp"}, {kInfo, L"Product Code", L"P"}},
       {{kApp, L"Application Type", L"service"}},
       runs},  // a service takes "JRE Path" from the settings file, never from the per-user file
      {"JVM Source", {{kJre, L"JRE Path", L""}}, {{kJre, L"JVM Source", L"only_JDK"}},
       chose(runtimes_ / L"jdk6\\jre\\bin\\client\\jvm.dll")},
      {"VM Provider", {{kJre, L"JRE Path", L""}}, {{kJre, L"VM Provider", L"ibm"}}, chose(Library(L"ibm7"))},
  };
  const std::vector<Entry> defaults = {
      {kJre, L"JRE Path", app.jre()}, {kJre, L"Main Class", L"test.Echo"}, {kCp, L"Class Path", L"C:\\app\\x.jar"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<Entry> entries = c.plain;
    for (const Entry& d : defaults) {
      bool named = false;
      for (const auto* list : {&c.plain, &c.plus}) {
        for (const Entry& e : *list) named = named || (e.section == d.section && e.key == d.key);
      }
      if (!named) entries.push_back(d);
    }
    for (const Entry& e : c.plus) entries.push_back({e.section + L"+", e.key, e.value});
    if (!c.check) {
      ExpectExceptionDialog(entries);
      continue;
    }
    LauncherRun run = RunWith(entries);
    ASSERT_TRUE(run.result.finished);
    c.check(run, app);
  }
}

TEST_F(SettingsPlusSection, ListValuesJoinTheEmbeddedOnesAsFurtherEntries) {
  ASSERT_EQ(testsupport::EmbedSettings(app_.app,
                                       L"[Java Runtime Environment]\r\nMain Class=test.Echo\r\nSystem Path=C:\\sa\r\n"
                                       L"Library Path=C:\\la\r\nPreferred versions=1.5\r\n"
                                       L"[Class Path]\r\nClass Path=lib\\a.jar\r\n",
                                       L"U"),
            0u);
  const std::vector<Entry> plus = {{kInfo, L"Upgrade Code", L"U"},
                                   {kJre + L"+", L"System Path", L"C:\\sb"},
                                   {kJre + L"+", L"Library Path", L"C:\\lb"},
                                   {kJre + L"+", L"Preferred versions", L"1.6"},
                                   {kCp + L"+", L"Class Path", L"lib\\b.jar"}};
  std::vector<Entry> entries = plus;
  entries.push_back({kJre, L"JRE Path", app_.jre()});
  LauncherRun run = RunWith(entries);
  ASSERT_TRUE(run.result.finished);
  EXPECT_EQ(run.result.exitCode, 0u) << app_.RecordText();
  const std::string folder = Narrow(Folder());
  EXPECT_EQ(app_.Values("classpath="), std::vector<std::string>{folder + "\\lib\\a.jar;" + folder + "\\lib\\b.jar"})
      << app_.RecordText();
  const auto options = app_.Options();
  ASSERT_GE(options.size(), 2u) << app_.RecordText();
  EXPECT_EQ(options[1].rfind("-Djava.library.path=C:\\la;C:\\lb;" + folder + "\\;", 0), 0u) << options[1];
  const auto path = app_.Values("env Path=");
  ASSERT_EQ(path.size(), 1u) << app_.RecordText();
  EXPECT_EQ(path[0].rfind("C:\\sa;C:\\sb;", 0), 0u) << path[0];

  // Preferred versions 1.5 and 1.6: the 1.6 runtime, not the newest.
  run = RunWith(plus);
  ASSERT_TRUE(run.result.finished);
  EXPECT_EQ(testsupport::FailedLibrary(run), runtimes_ / L"jdk6\\jre\\bin\\client\\jvm.dll");
}

}  // namespace
