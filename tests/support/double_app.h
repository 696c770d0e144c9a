// An application folder whose Java runtime is the test-double jvm.dll, with
// settings for it and the record of what the double received.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/double_record.h"
#include "tests/support/launcher_app.h"

namespace testsupport {

std::wstring FromUtf8(const std::string& bytes);
// The bytes of a file, empty when it cannot be read.
std::string ReadBytes(const std::wstring& path);

struct Settings {
  std::wstring mainClass = L"test.Echo";
  std::wstring classPath = L"C:\\app\\classes.jar";
  std::wstring runtimeLines;      // more lines for [Java Runtime Environment]
  std::wstring applicationLines;  // lines for [Application]
};

// An application folder whose runtime is the double.
class DoubleApp {
 public:
  DoubleApp() { testsupport::CopyFileTo(testsupport::BinFile(L"double\\jvm.dll"), jvmDll()); }

  std::wstring jre() const { return app.path(L"jre"); }
  std::wstring jvmDll() const { return app.path(L"jre\\bin\\server\\jvm.dll"); }
  std::wstring recordFile() const { return app.path(L"record.txt"); }

  void Write(const Settings& s) const {
    app.WriteIni(L"[Java Runtime Environment]\r\nJRE Path=" + jre() + L"\r\nMain Class=" + s.mainClass + L"\r\n" +
                 s.runtimeLines + L"[Class Path]\r\nClass Path=" + s.classPath + L"\r\n[Application]\r\n" +
                 s.applicationLines);
  }

  LauncherRun Run(const std::wstring& arguments = L"",
                  std::map<std::wstring, std::optional<std::wstring>> environment = {}) const {
    return app.Run(arguments, Options(std::move(environment)));
  }

  // Starts the launcher without waiting, for tests that drive its windows.
  Process Start(const std::wstring& arguments = L"",
                std::map<std::wstring, std::optional<std::wstring>> environment = {}) const {
    std::wstring commandLine = Quoted(app.exe());
    if (!arguments.empty()) commandLine += L" " + arguments;
    return Process::Start(app.exe(), commandLine, Options(std::move(environment)));
  }

  RunOptions Options(std::map<std::wstring, std::optional<std::wstring>> environment) const {
    RunOptions options;
    options.environment = std::move(environment);
    options.environment[L"VORN_DOUBLE_RECORD"] = recordFile();
    options.environment[L"VORN_DOUBLE_CREATE_RESULT"] = std::nullopt;
    DeleteFileW(recordFile().c_str());
    return app.WithOwnAppData(std::move(options));
  }

  testsupport::DoubleRecord Record() const { return testsupport::ReadDoubleRecord(recordFile()); }
  // The values of the record lines that start with `prefix`, unescaped.
  std::vector<std::string> Values(const std::string& prefix) const {
    std::vector<std::string> values;
    for (const auto& line : Record().LinesStartingWith(prefix)) {
      values.push_back(testsupport::UnescapeNarrow(line.substr(prefix.size())));
    }
    return values;
  }
  std::vector<std::string> Options() const { return Record().options; }
  std::vector<std::wstring> MainArguments() const {
    const testsupport::DoubleRecord record = Record();
    const testsupport::DoubleCall* main = record.Main();
    return main != nullptr ? main->args : std::vector<std::wstring>{};
  }
  // The launcher used JNI as the real VM demands: no misuse, no warning of
  // -Xcheck:jni, no call outside what the double implements.
  void ExpectCleanJniUse() const {
    auto record = Record();
    EXPECT_TRUE(record.misuse.empty()) << RecordText();
    EXPECT_TRUE(record.warnings.empty()) << RecordText();
    EXPECT_TRUE(record.unimplemented.empty()) << RecordText();
  }
  std::string RecordText() const {
    std::string text;
    for (const auto& line : Record().lines) text += line + "\n";
    return text;
  }

  AppFolder app;
};

}  // namespace testsupport
