// "Startup Cache" end to end: the options the double receives for runtimes of
// each version, the cache folder under the user's local application data and
// the file's name, and nothing at all without the setting or without a
// folder that can be written.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/support/double_app.h"
#include "tests/support/test_files.h"

namespace {

using testsupport::DoubleApp;
using testsupport::Settings;

std::string Narrow(const std::wstring& ascii) { return std::string(ascii.begin(), ascii.end()); }

class VmStartupCache : public testing::Test {
 protected:
  // A start with the cache on, a runtime of `version` and the product's
  // folder names; the options the double received after the class path.
  std::vector<std::string> Start(const std::wstring& version, const std::wstring& productLines,
                                 const std::wstring& cacheSetting = L"Startup Cache=YES\r\n",
                                 const std::wstring& classPath = L"C:\\app\\a.jar") {
    testsupport::WriteTextFile(app.jre() + L"\\release", L"IMPLEMENTOR=\"Test\"\nJAVA_VERSION=\"" + version + L"\"\n",
                               testsupport::Encoding::Ansi);
    Settings s;
    s.classPath = classPath;
    s.runtimeLines = cacheSetting + L"Virtual Machine Parameters=-Xmx64m\r\n";
    s.applicationLines = L"[Product Information]\r\n" + productLines;
    app.Write(s);
    auto run = app.Run(L"", {{L"LOCALAPPDATA", local()}, {L"VORN_LAUNCHER_LOG", log()}});
    EXPECT_TRUE(run.result.finished);
    EXPECT_EQ(run.result.exitCode, 0u) << app.RecordText();
    EXPECT_TRUE(run.boxes.empty());
    std::vector<std::string> options = app.Options();
    // The VM's message hook comes first.
    if (!options.empty() && options.front() == "vfprintf") options.erase(options.begin());
    EXPECT_FALSE(options.empty());
    EXPECT_EQ(options.empty() ? "" : options.front(), "-Djava.class.path=" + Narrow(classPath))
        << app.RecordText();
    // The cache's options come between the class path and the VM parameters.
    const auto parameters = std::find(options.begin(), options.end(), "-Xmx64m");
    EXPECT_NE(parameters, options.end()) << app.RecordText();
    return parameters == options.end() ? std::vector<std::string>{}
                                       : std::vector<std::string>(options.begin() + 1, parameters);
  }
  std::wstring local() const { return app.app.path(L"local"); }
  std::wstring log() const { return app.app.path(L"launch.log"); }
  std::string LogText() const { return Narrow(testsupport::ReadTextFile(log())); }

  DoubleApp app;
};

// The cache file an option names.
std::wstring CacheFileFrom(const std::string& option) {
  const auto at = option.find('=');
  return at == std::string::npos ? L"" : std::wstring(option.begin() + at + 1, option.end());
}

TEST_F(VmStartupCache, OptionsFolderAndFileFollowTheRuntimeVersion) {
  const std::wstring product = L"Product Name=Cache: Test?\r\nProduct Code={C0DE}\r\n";
  const std::wstring folder = local() + L"\\Cache Test\\{C0DE}\\cache\\";

  std::vector<std::string> first = Start(L"17.0.2", product);
  ASSERT_EQ(first.size(), 2u) << app.RecordText();
  const std::wstring file = CacheFileFrom(first[0]);
  EXPECT_EQ(first[0], "-XX:ArchiveClassesAtExit=" + Narrow(file));
  EXPECT_EQ(first[1], "-Xlog:cds*=off");
  EXPECT_EQ(file.substr(0, folder.size()), folder);
  const std::wstring name = file.substr(folder.size());
  EXPECT_EQ(name.size(), 20u) << "16 hex digits and .jsa: " << Narrow(name);
  EXPECT_EQ(name.substr(name.size() - 4), L".jsa");
  EXPECT_NE(GetFileAttributesW(folder.c_str()), INVALID_FILE_ATTRIBUTES) << "the cache folder was not made";
  EXPECT_NE(LogText().find("VM option -XX:ArchiveClassesAtExit=" + Narrow(file)), std::string::npos) << LogText();

  // Once the runtime has written it, the next start maps it.
  testsupport::WriteTextFile(file, L"archive", testsupport::Encoding::Ansi);
  EXPECT_EQ(Start(L"17.0.2", product),
            (std::vector<std::string>{"-XX:SharedArchiveFile=" + Narrow(file), "-Xlog:cds*=off"}));

  // The same runtime folder, another version in its release file: the options
  // of that version.
  const std::string hash = Narrow(name.substr(0, 16));
  EXPECT_EQ(Start(L"21.0.1", product), (std::vector<std::string>{"-XX:+AutoCreateSharedArchive",
                                                                   "-XX:SharedArchiveFile=" + Narrow(file),
                                                                   "-Xlog:cds*=off"}));

  std::vector<std::string> aot = Start(L"25", product);
  ASSERT_EQ(aot.size(), 2u) << app.RecordText();
  const std::wstring aotFile = CacheFileFrom(aot[0]);
  EXPECT_EQ(aot[0], "-XX:AOTCacheOutput=" + Narrow(folder) + hash + ".aot");
  EXPECT_EQ(aot[1], "-Xlog:aot*=off,cds*=off");
  testsupport::WriteTextFile(aotFile, L"cache", testsupport::Encoding::Ansi);
  EXPECT_EQ(Start(L"25", product),
            (std::vector<std::string>{"-XX:AOTCache=" + Narrow(aotFile), "-Xlog:aot*=off,cds*=off"}));

  EXPECT_TRUE(Start(L"11.0.2", product).empty()) << "runtimes before 13 keep no such cache";
  EXPECT_NE(LogText().find("startup cache off: before 13"), std::string::npos) << LogText();

  // Without a product name the executable's base name names the folder.
  std::vector<std::string> unnamed = Start(L"17.0.2", L"");
  ASSERT_EQ(unnamed.size(), 2u);
  const std::wstring unnamedFolder = local() + L"\\app\\cache\\";
  EXPECT_EQ(CacheFileFrom(unnamed[0]).substr(0, unnamedFolder.size()), unnamedFolder);
}

TEST_F(VmStartupCache, AnApplicationFileReplacedInPlaceGivesAnotherFile) {
  const std::wstring jar = app.app.path(L"app.jar");
  testsupport::WriteTextFile(jar, L"classes", testsupport::Encoding::Ansi);
  const auto first = Start(L"17.0.2", L"", L"Startup Cache=yes\r\n", jar);
  ASSERT_FALSE(first.empty());
  EXPECT_EQ(Start(L"17.0.2", L"", L"Startup Cache=yes\r\n", jar), first) << "nothing changed: the same file";

  // An update: the same path, other contents and time.
  testsupport::WriteTextFile(jar, L"newer classes", testsupport::Encoding::Ansi);
  HANDLE file = CreateFileW(jar.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  const FILETIME later{0x12345678, 0x01DC0000};
  EXPECT_TRUE(SetFileTime(file, nullptr, nullptr, &later));
  CloseHandle(file);
  const auto updated = Start(L"17.0.2", L"", L"Startup Cache=yes\r\n", jar);
  ASSERT_FALSE(updated.empty());
  EXPECT_NE(CacheFileFrom(updated[0]), CacheFileFrom(first[0]));
  EXPECT_EQ(updated[0].rfind("-XX:ArchiveClassesAtExit=", 0), 0u) << updated[0];
}

TEST_F(VmStartupCache, NothingWithoutTheSetting) {
  for (const std::wstring setting : {L"", L"Startup Cache=no\r\n", L"Startup Cache=1\r\n"}) {
    EXPECT_TRUE(Start(L"17.0.2", L"Product Name=App\r\n", setting).empty()) << Narrow(setting);
  }
  EXPECT_EQ(GetFileAttributesW(local().c_str()), INVALID_FILE_ATTRIBUTES) << "a folder was made without the setting";
}

TEST_F(VmStartupCache, FolderThatCannotBeMadeTurnsItOffSilently) {
  // A file stands where the local application-data folder should be.
  testsupport::WriteTextFile(local(), L"not a folder", testsupport::Encoding::Ansi);
  EXPECT_TRUE(Start(L"17.0.2", L"Product Name=App\r\n").empty());
  EXPECT_NE(LogText().find("startup cache off: no folder"), std::string::npos) << LogText();
}

}  // namespace
