// "Startup Cache" end to end: the options the double receives for runtimes of
// each version, the cache folder under the user's local application data, the
// file the double writes at its end under a temporary name and the name the
// launcher then gives it, the folder kept tidy, and no cache at all without
// the setting or where the runtime would refuse it. Wine runs every process
// elevated, and an elevated start uses no cache: the starts are made with the
// runner's limited token.
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
std::wstring Wide(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

// The cache file an option names.
std::wstring CacheFileFrom(const std::string& option) {
  const auto at = option.find('=');
  return at == std::string::npos ? L"" : Wide(option.substr(at + 1));
}

// The names in a folder, sorted.
std::vector<std::wstring> Names(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    if (data.cFileName[0] != L'.') names.push_back(data.cFileName);
  } while (FindNextFileW(find, &data));
  FindClose(find);
  std::sort(names.begin(), names.end());
  return names;
}

// A finished archive as the runtime leaves it.
void WriteArchive(const std::wstring& file, const FILETIME& time) {
  HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(handle, INVALID_HANDLE_VALUE);
  const char bytes[] = "\xa8\xab\x0b\xf0 archive";
  DWORD written = 0;
  WriteFile(handle, bytes, sizeof bytes, &written, nullptr);
  SetFileTime(handle, nullptr, nullptr, &time);
  CloseHandle(handle);
}


class VmStartupCache : public testing::Test {
 protected:
  // A start with the cache on, a runtime of `version` and the product's
  // folder names; the options the double received after the class path.
  std::vector<std::string> Start(const std::wstring& version, const std::wstring& productLines,
                                 const std::wstring& cacheSetting = L"Startup Cache=YES\r\n",
                                 const std::wstring& classPath = L"C:\\app\\a.jar", DWORD exitCode = 0,
                                 std::map<std::wstring, std::optional<std::wstring>> environment = {}) {
    WriteSettings(version, productLines, cacheSetting, classPath);
    environment[L"LOCALAPPDATA"] = local();
    environment[L"VORN_LAUNCHER_LOG"] = log();
    auto run = app.app.Run(L"", RunOptions(environment));
    EXPECT_TRUE(run.result.finished);
    EXPECT_EQ(run.result.exitCode, exitCode) << app.RecordText();
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
  void WriteSettings(const std::wstring& version, const std::wstring& productLines,
                     const std::wstring& cacheSetting = L"Startup Cache=YES\r\n",
                     const std::wstring& classPath = L"C:\\app\\a.jar") {
    testsupport::WriteTextFile(app.jre() + L"\\release", L"IMPLEMENTOR=\"Test\"\nJAVA_VERSION=\"" + version + L"\"\n",
                               testsupport::Encoding::Ansi);
    // The runtime's own base archive, which a dynamic archive extends.
    if (baseArchive) testsupport::WriteTextFile(app.jre() + L"\\bin\\server\\classes.jsa", L"", testsupport::Encoding::Ansi);
    Settings s;
    s.classPath = classPath + (modulePath.empty() ? L"" : L"\r\nModule Path=" + modulePath);
    s.runtimeLines = cacheSetting + L"Virtual Machine Parameters=" + parameters + L"\r\n";
    s.applicationLines = L"[Product Information]\r\n" + productLines;
    app.Write(s);
  }
  testsupport::RunOptions RunOptions(std::map<std::wstring, std::optional<std::wstring>> environment) const {
    testsupport::RunOptions options = app.Options(std::move(environment));
    options.unelevated = !elevated;
    return options;
  }
  std::wstring local() const { return app.app.path(L"local"); }
  bool baseArchive = true;
  bool elevated = false;
  std::wstring modulePath;
  std::wstring parameters = L"-Xmx64m";
  std::wstring log() const { return app.app.path(L"launch.log"); }
  std::string LogText() const { return Narrow(testsupport::ReadTextFile(log())); }

  DoubleApp app;
};

TEST_F(VmStartupCache, OptionsFolderAndFileFollowTheRuntimeVersion) {
  const std::wstring product = L"Product Name=Cache: Test?\r\nProduct Code={C0DE}\r\n";
  const std::wstring folder = local() + L"\\Cache Test\\{C0DE}\\cache\\";

  // The first start: the runtime writes a temporary of this start's own, and
  // once it has ended the launcher gives it the cache's name.
  std::vector<std::string> first = Start(L"17.0.2", product);
  ASSERT_EQ(first.size(), 2u) << app.RecordText() << LogText();
  const std::wstring written = CacheFileFrom(first[0]);
  EXPECT_EQ(first[0], "-XX:ArchiveClassesAtExit=" + Narrow(written));
  EXPECT_EQ(first[1], "-Xlog:cds*=off");
  EXPECT_EQ(written.substr(0, folder.size()), folder);
  const std::wstring hash = written.substr(folder.size(), 16);
  EXPECT_EQ(written.substr(folder.size() + 16, 1), L".");
  EXPECT_EQ(written.substr(written.size() - 4), L".tmp");
  EXPECT_NE(LogText().find("VM option -XX:ArchiveClassesAtExit=" + Narrow(written)), std::string::npos) << LogText();
  const std::wstring file = folder + hash + L".jsa";
  EXPECT_EQ(Names(folder), std::vector<std::wstring>{hash + L".jsa"}) << "the temporary was not renamed";

  // The next start maps it.
  EXPECT_EQ(Start(L"17.0.2", product),
            (std::vector<std::string>{"-XX:SharedArchiveFile=" + Narrow(file), "-Xlog:cds*=off"}));
  // The same runtime folder, another version in its release file: the options
  // of that version, only reading a finished file.
  EXPECT_EQ(Start(L"21.0.1", product),
            (std::vector<std::string>{"-XX:SharedArchiveFile=" + Narrow(file), "-Xlog:cds*=off"}));

  // JDK 25 makes its AOT cache through bin\java.exe.
  testsupport::WriteTextFile(app.jre() + L"\\bin\\java.exe", L"", testsupport::Encoding::Ansi);
  std::vector<std::string> aot = Start(L"25", product);
  ASSERT_EQ(aot.size(), 2u) << app.RecordText();
  EXPECT_EQ(aot[0].rfind("-XX:AOTCacheOutput=" + Narrow(folder) + Narrow(hash) + ".", 0), 0u) << aot[0];
  EXPECT_EQ(aot[1], "-Xlog:aot*=off,cds*=off");
  EXPECT_EQ(Start(L"25", product), (std::vector<std::string>{"-XX:AOTCache=" + Narrow(folder + hash) + ".aot",
                                                              "-Xlog:aot*=off,cds*=off"}));
  // Without it, the dynamic archive.
  DeleteFileW((app.jre() + L"\\bin\\java.exe").c_str());
  EXPECT_EQ(Start(L"25", product),
            (std::vector<std::string>{"-XX:SharedArchiveFile=" + Narrow(file), "-Xlog:aot*=off,cds*=off"}));
  EXPECT_NE(LogText().find("startup cache: dynamic archive, no bin\\java.exe"), std::string::npos) << LogText();

  EXPECT_TRUE(Start(L"11.0.2", product).empty()) << "runtimes before 13 keep no such cache";
  EXPECT_NE(LogText().find("startup cache off: before 13"), std::string::npos) << LogText();

  // Without a product name the executable's base name names the folder; a
  // Product Code that is a path stays one folder inside it.
  std::vector<std::string> unnamed = Start(L"17.0.2", L"Product Code=..\\..\\..\\escaped\r\n");
  ASSERT_EQ(unnamed.size(), 2u);
  const std::wstring unnamedFolder = local() + L"\\app\\.._.._.._escaped\\cache\\";
  EXPECT_EQ(CacheFileFrom(unnamed[0]).substr(0, unnamedFolder.size()), unnamedFolder);
  EXPECT_EQ(Names(local() + L"\\"), (std::vector<std::wstring>{L"Cache Test", L"app"}));
}

TEST_F(VmStartupCache, AnApplicationFileReplacedInPlaceGivesAnotherFile) {
  const std::wstring jar = app.app.path(L"app.jar");
  testsupport::WriteTextFile(jar, L"classes", testsupport::Encoding::Ansi);
  const auto first = Start(L"17.0.2", L"", L"Startup Cache=yes\r\n", jar);
  ASSERT_FALSE(first.empty());
  const auto second = Start(L"17.0.2", L"", L"Startup Cache=yes\r\n", jar);
  ASSERT_FALSE(second.empty());
  const std::wstring file = CacheFileFrom(second[0]);
  EXPECT_EQ(second[0], "-XX:SharedArchiveFile=" + Narrow(file)) << "nothing changed: the same file";
  EXPECT_EQ(CacheFileFrom(first[0]).substr(0, file.size() - 4), file.substr(0, file.size() - 4));

  // An update: the same path, other contents and time.
  testsupport::WriteTextFile(jar, L"newer classes", testsupport::Encoding::Ansi);
  HANDLE handle = CreateFileW(jar.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(handle, INVALID_HANDLE_VALUE);
  const FILETIME later{0x12345678, 0x01DC0000};
  EXPECT_TRUE(SetFileTime(handle, nullptr, nullptr, &later));
  CloseHandle(handle);
  const auto updated = Start(L"17.0.2", L"", L"Startup Cache=yes\r\n", jar);
  ASSERT_FALSE(updated.empty());
  EXPECT_EQ(updated[0].rfind("-XX:ArchiveClassesAtExit=", 0), 0u) << updated[0];
  EXPECT_NE(CacheFileFrom(updated[0]).substr(0, file.size() - 4), file.substr(0, file.size() - 4));

  // Another VM parameter the runtime checks the file against: another file.
  const std::wstring parameters = L"Startup Cache=yes\r\nVirtual Machine Parameters=--add-modules=java.sql\r\n";
  WriteSettings(L"17.0.2", L"", parameters, jar);
  app.app.Run(L"", RunOptions({{L"LOCALAPPDATA", local()}}));
  const std::vector<std::string> options = app.Options();
  ASSERT_GE(options.size(), 3u);
  EXPECT_EQ(options[2].rfind("-XX:ArchiveClassesAtExit=", 0), 0u) << app.RecordText();
}

TEST_F(VmStartupCache, NothingWithoutTheSetting) {
  for (const std::wstring setting : {L"", L"Startup Cache=no\r\n", L"Startup Cache=1\r\n"}) {
    EXPECT_TRUE(Start(L"17.0.2", L"Product Name=App\r\n", setting).empty()) << Narrow(setting);
  }
  EXPECT_EQ(GetFileAttributesW(local().c_str()), INVALID_FILE_ATTRIBUTES) << "a folder was made without the setting";
}

TEST_F(VmStartupCache, OffWhereTheRuntimeWouldRefuseItAndTheLogSaysWhy) {
  // A file stands where the local application-data folder should be.
  testsupport::WriteTextFile(local(), L"not a folder", testsupport::Encoding::Ansi);
  EXPECT_TRUE(Start(L"17.0.2", L"Product Name=App\r\n").empty());
  EXPECT_NE(LogText().find("startup cache off: no folder"), std::string::npos) << LogText();
  DeleteFileW(local().c_str());
  // A folder on the class path.
  const std::wstring classes = app.app.path(L"classes");
  testsupport::WriteTextFile(classes + L"\\a\\A.class", L"class", testsupport::Encoding::Ansi);
  EXPECT_TRUE(Start(L"17.0.2", L"Product Name=App\r\n", L"Startup Cache=yes\r\n", classes).empty());
  EXPECT_NE(LogText().find("startup cache off: a folder on the class path"), std::string::npos) << LogText();
  // A runtime without its base archive (a jlink image).
  baseArchive = false;
  DeleteFileW((app.jre() + L"\\bin\\server\\classes.jsa").c_str());
  EXPECT_TRUE(Start(L"17.0.2", L"Product Name=App\r\n").empty());
  EXPECT_NE(LogText().find("startup cache off: no classes.jsa"), std::string::npos) << LogText();
}

TEST_F(VmStartupCache, AFileTheRuntimeDidNotFinishIsNeverUsed) {
  const std::wstring product = L"Product Name=App\r\n";
  const std::wstring folder = local() + L"\\App\\cache\\";
  // The first start is killed while the runtime writes the file.
  const auto killed = Start(L"17.0.2", product, L"Startup Cache=yes\r\n", L"C:\\app\\a.jar", 9,
                            {{L"VORN_DOUBLE_ARCHIVE_DIES", L"1"}});
  ASSERT_FALSE(killed.empty());
  const std::wstring left = CacheFileFrom(killed[0]);
  EXPECT_NE(app.RecordText().find("archive-died"), std::string::npos) << app.RecordText();
  EXPECT_NE(GetFileAttributesW(left.c_str()), INVALID_FILE_ATTRIBUTES) << "the half-written temporary";
  const std::wstring name = left.substr(folder.size(), 16) + L".jsa";

  // The next start makes it anew, and the temporary no process owns goes.
  const auto again = Start(L"17.0.2", product);
  ASSERT_FALSE(again.empty());
  EXPECT_EQ(again[0].rfind("-XX:ArchiveClassesAtExit=", 0), 0u) << again[0];
  EXPECT_EQ(Names(folder), std::vector<std::wstring>{name});
  EXPECT_EQ(Start(L"17.0.2", product)[0], "-XX:SharedArchiveFile=" + Narrow(folder + name));

  // A file at the cache's name that is no archive (empty, or anything else) is
  // removed and made anew.
  for (const wchar_t* content : {L"", L"not an archive"}) {
    SetFileAttributesW((folder + name).c_str(), FILE_ATTRIBUTE_NORMAL);
    testsupport::WriteTextFile(folder + name, content, testsupport::Encoding::Ansi);
    const auto remade = Start(L"17.0.2", product);
    ASSERT_FALSE(remade.empty());
    EXPECT_EQ(remade[0].rfind("-XX:ArchiveClassesAtExit=", 0), 0u) << remade[0];
    EXPECT_EQ(testsupport::ReadBytes(folder + name).substr(0, 4), "\xa8\xab\x0b\xf0");
  }
}

TEST_F(VmStartupCache, StartsAtOnceEachWriteTheirOwnAndTheFirstToFinishNamesIt) {
  WriteSettings(L"25", L"Product Name=App\r\n");
  testsupport::WriteTextFile(app.jre() + L"\\bin\\java.exe", L"", testsupport::Encoding::Ansi);
  const std::wstring folder = local() + L"\\App\\cache\\";
  const std::wstring gate = L"VornCacheGate" + std::to_wstring(GetCurrentProcessId());
  HANDLE event = CreateEventW(nullptr, TRUE, FALSE, gate.c_str());
  ASSERT_NE(event, nullptr);
  std::vector<testsupport::Process> starts;
  std::vector<std::wstring> records;
  for (int i = 0; i < 3; ++i) {
    testsupport::RunOptions options = RunOptions({{L"LOCALAPPDATA", local()}, {L"VORN_DOUBLE_CREATE_GATE", gate}});
    records.push_back(app.app.path(L"record" + std::to_wstring(i) + L".txt"));
    options.environment[L"VORN_DOUBLE_RECORD"] = records.back();
    starts.push_back(testsupport::Process::Start(app.app.exe(), testsupport::Quoted(app.app.exe()), options));
  }
  // All three stand at the VM's creation, each with the temporary it writes.
  std::vector<std::string> written;
  for (int wait = 0; wait < 1200 && written.size() < 3; ++wait) {
    written.clear();
    for (const std::wstring& record : records) {
      for (const std::string& option : testsupport::ReadDoubleRecord(record).options) {
        if (option.rfind("-XX:AOTCacheOutput=", 0) == 0) written.push_back(option);
      }
    }
    if (written.size() < 3) Sleep(100);
  }
  SetEvent(event);
  for (auto& start : starts) {
    EXPECT_TRUE(start.Wait(60000));
    EXPECT_EQ(start.ExitCode(), 0u);
  }
  CloseHandle(event);
  ASSERT_EQ(written.size(), 3u);
  std::sort(written.begin(), written.end());
  EXPECT_EQ(std::unique(written.begin(), written.end()), written.end()) << "each writes its own";
  const std::vector<std::wstring> names = Names(folder);
  ASSERT_EQ(names.size(), 1u) << "one finished file, no temporaries";
  EXPECT_EQ(names[0].substr(16), L".aot");
}

TEST_F(VmStartupCache, ANewFileRemovesTheOlderOnesButNotOneInUse) {
  const std::wstring folder = local() + L"\\App\\cache\\";
  CreateDirectoryW(local().c_str(), nullptr);
  CreateDirectoryW((local() + L"\\App").c_str(), nullptr);
  CreateDirectoryW(folder.c_str(), nullptr);
  // Files of earlier versions, oldest first; the oldest is mapped by a start
  // that still runs (held open as the launcher holds it).
  const wchar_t* old[] = {L"0000000000000001.jsa", L"0000000000000002.jsa", L"0000000000000003.aot"};
  for (ULONGLONG i = 0; i < 3; ++i) {
    const ULONGLONG time = 0x01D0000000000000ull + i * 0x0000001000000000ull;
    WriteArchive(folder + old[i], FILETIME{static_cast<DWORD>(time), static_cast<DWORD>(time >> 32)});
  }
  HANDLE inUse = CreateFileW((folder + old[0]).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(inUse, INVALID_HANDLE_VALUE);
  const auto made = Start(L"17.0.2", L"Product Name=App\r\n");
  CloseHandle(inUse);
  ASSERT_FALSE(made.empty());
  const std::wstring name = CacheFileFrom(made[0]).substr(folder.size(), 16) + L".jsa";
  std::vector<std::wstring> expected = {old[0], old[2], name};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(Names(folder), expected) << "the new file and the newest other one stay, and the one in use";
}

TEST_F(VmStartupCache, NothingPlantedInTheFolderIsWrittenThrough) {
  const std::wstring folder = local() + L"\\App\\cache\\";
  testsupport::WriteTextFile(folder + L"keep.txt", L"precious", testsupport::Encoding::Ansi);
  const std::wstring precious = app.app.path(L"precious.txt");
  testsupport::WriteTextFile(precious, L"precious", testsupport::Encoding::Ansi);
  ASSERT_TRUE(CreateHardLinkW((folder + L"probe.tmp").c_str(), precious.c_str(), nullptr));
  EXPECT_FALSE(Start(L"17.0.2", L"Product Name=App\r\n").empty());
  EXPECT_EQ(testsupport::ReadBytes(precious), "precious");
  EXPECT_EQ(testsupport::ReadBytes(folder + L"keep.txt"), "precious");
}

TEST_F(VmStartupCache, AnElevatedStartUsesNone) {
  elevated = true;
  EXPECT_TRUE(Start(L"17.0.2", L"Product Name=App\r\n").empty());
  EXPECT_NE(LogText().find("startup cache off: elevated"), std::string::npos) << LogText();
  EXPECT_EQ(GetFileAttributesW(local().c_str()), INVALID_FILE_ATTRIBUTES) << "the folder was looked at";
}

TEST_F(VmStartupCache, OnlyItsOwnFilesGoAndNothingThroughALink) {
  // Files of the user's that only resemble the cache's, and links named like
  // its files to files elsewhere.
  const std::wstring folder = local() + L"\\App\\cache\\", elsewhere = app.app.path(L"elsewhere\\");
  const std::vector<std::wstring> users = {L"abcdefghijklmnop.xyz", L"backup.1.tmp", L"notes.tmp.txt", L"report.tmp"};
  for (const std::wstring& name : users) testsupport::WriteTextFile(folder + name, L"mine", testsupport::Encoding::Ansi);
  const std::vector<std::wstring> links = {L"0000000000000001.jsa", L"0000000000000002.aot", L"0000000000000003.4294967291.tmp"};
  for (const std::wstring& name : links) {
    testsupport::WriteTextFile(elsewhere + name, L"mine", testsupport::Encoding::Ansi);
    testsupport::MakeLink(folder + name, elsewhere + name);
  }
  // The second start finds the first one's file: a new file tidies the folder.
  const auto made = Start(L"17.0.2", L"Product Name=App\r\n");
  ASSERT_FALSE(made.empty()) << LogText();
  EXPECT_EQ(Start(L"17.0.2", L"Product Name=App\r\n")[0].rfind("-XX:SharedArchiveFile=", 0), 0u);
  for (const std::wstring& name : users) EXPECT_EQ(testsupport::ReadBytes(folder + name), "mine") << Narrow(name);
  for (const std::wstring& name : links) EXPECT_EQ(testsupport::ReadBytes(elsewhere + name), "mine") << Narrow(name);
  // A link at the cache's own name is not mapped.
  const std::wstring file = CacheFileFrom(made[0]).substr(0, folder.size() + 16) + L".jsa";
  SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
  ASSERT_TRUE(DeleteFileW(file.c_str()));
  WriteArchive(elsewhere + L"planted.jsa", FILETIME{1, 0x01D00000});
  testsupport::MakeLink(file, elsewhere + L"planted.jsa");
  EXPECT_EQ(Start(L"17.0.2", L"Product Name=App\r\n")[0].rfind("-XX:ArchiveClassesAtExit=", 0), 0u);
  EXPECT_EQ(testsupport::ReadBytes(elsewhere + L"planted.jsa").substr(0, 4), "\xa8\xab\x0b\xf0");

  // A cache folder that is a link is left alone, the cache off.
  ASSERT_TRUE(CreateDirectoryW((local() + L"\\Linked").c_str(), nullptr));
  testsupport::MakeLink(local() + L"\\Linked\\cache", elsewhere);
  testsupport::WriteTextFile(elsewhere + L"0000000000000004.4294967291.tmp", L"mine", testsupport::Encoding::Ansi);
  EXPECT_TRUE(Start(L"17.0.2", L"Product Name=Linked\r\n").empty());
  EXPECT_NE(LogText().find("startup cache off: the folder is a link"), std::string::npos) << LogText();
  EXPECT_EQ(testsupport::ReadBytes(elsewhere + L"0000000000000004.4294967291.tmp"), "mine");
}

TEST_F(VmStartupCache, OffBesideWhatTheRuntimeRefusesWhileItWritesACache) {
  const std::wstring boot = app.app.path(L"boot");
  testsupport::WriteTextFile(boot + L"\\Boot.class", L"class", testsupport::Encoding::Ansi);
  testsupport::WriteTextFile(app.jre() + L"\\bin\\java.exe", L"", testsupport::Encoding::Ansi);
  const struct {
    const wchar_t* version;
    std::wstring option;
    std::string reason;
  } cases[] = {
      {L"17.0.2", L"-javaagent:C:\\app\\agent.jar", "-javaagent:"},
      {L"17.0.2", L"--limit-modules=java.base", "--limit-modules"},
      {L"25", L"--patch-module=java.base=C:\\p", "--patch-module"},
      {L"17.0.2", L"--upgrade-module-path=C:\\u", "--upgrade-module-path"},
      {L"25", L"-Xbootclasspath/a:" + boot, "a folder on -Xbootclasspath/a:"},
  };
  for (const auto& c : cases) {
    parameters = L"-Xmx64m " + c.option;
    EXPECT_TRUE(Start(c.version, L"Product Name=App\r\n").empty()) << Narrow(c.option);
    EXPECT_NE(LogText().find("startup cache off: " + c.reason + "\r\n"), std::string::npos) << LogText();
  }
  // The variables of VM options the runtime reads itself.
  parameters = L"-Xmx64m";
  for (const wchar_t* variable : {L"JAVA_TOOL_OPTIONS", L"_JAVA_OPTIONS"}) {
    EXPECT_TRUE(Start(L"25", L"Product Name=App\r\n", L"Startup Cache=YES\r\n", L"C:\\app\\a.jar", 0,
                      {{variable, L"-Xss2m  -Xshare:off"}})
                    .empty());
    EXPECT_NE(LogText().find("startup cache off: " + Narrow(variable) + "\r\n"), std::string::npos) << LogText();
  }
}

TEST_F(VmStartupCache, ASemicolonInTheProductNamesStaysOutOfThePath) {
  testsupport::WriteTextFile(app.jre() + L"\\bin\\java.exe", L"", testsupport::Encoding::Ansi);
  const auto options = Start(L"25", L"Product Name=A;B\r\nProduct Code={C;D}\r\n");
  ASSERT_FALSE(options.empty());
  EXPECT_EQ(options[0].rfind("-XX:AOTCacheOutput=" + Narrow(local()) + "\\A_B\\{C_D}\\cache\\", 0), 0u) << options[0];
}

TEST_F(VmStartupCache, AJarReplacedInAModulePathFolderGivesAnotherFile) {
  const std::wstring jar = app.app.path(L"mods\\m.jar");
  testsupport::WriteTextFile(jar, L"module", testsupport::Encoding::Ansi);
  const std::wstring product = L"Product Name=App\r\n";
  modulePath = L"mods";
  Start(L"17.0.2", product);
  const auto mapped = Start(L"17.0.2", product);
  ASSERT_FALSE(mapped.empty());
  EXPECT_EQ(mapped[0].rfind("-XX:SharedArchiveFile=", 0), 0u) << mapped[0];
  // Written over in place: the folder's own time stays.
  testsupport::WriteTextFile(jar, L"module, newer", testsupport::Encoding::Ansi);
  const auto updated = Start(L"17.0.2", product);
  ASSERT_FALSE(updated.empty());
  EXPECT_EQ(updated[0].rfind("-XX:ArchiveClassesAtExit=", 0), 0u) << updated[0];
}

TEST_F(VmStartupCache, AStartTheRuntimeRefusesTurnsItOffForThatFile) {
  const std::wstring product = L"Product Name=App\r\n";
  // The VM is not created, or aborts at its creation.
  for (const wchar_t* failure : {L"create", L"abort"}) {
    parameters = std::wstring(L"-Xmx64m -Dkey=") + failure;
    WriteSettings(L"17.0.2", product);
    testsupport::RunOptions options = RunOptions({{L"LOCALAPPDATA", local()}, {L"VORN_LAUNCHER_LOG", log()}});
    if (failure == std::wstring(L"create")) options.environment[L"VORN_DOUBLE_CREATE_RESULT"] = L"-1";
    if (failure == std::wstring(L"abort")) options.environment[L"JAVA_TOOL_OPTIONS"] = L"-Dvorn.double.abort";
    const auto refused = app.app.Run(L"", options);
    EXPECT_NE(refused.result.exitCode, 0u);
    EXPECT_NE(LogText().find("startup cache refused by the runtime"), std::string::npos) << LogText();
    // The next start goes without; another key tries again.
    EXPECT_TRUE(Start(L"17.0.2", product).empty()) << Narrow(failure);
    EXPECT_NE(LogText().find("startup cache off: refused at an earlier start"), std::string::npos) << LogText();
  }
  parameters = L"-Xmx64m -Dkey=other";
  EXPECT_FALSE(Start(L"17.0.2", product).empty());
}

}  // namespace
