// The startup cache's rules: which options a start gets, when it gets none,
// the folder and the file names. Also built natively (tests/jni) beside the
// real-runtime checks.
#include <gtest/gtest.h>

#include <set>

#include "jvm/startup_cache.h"

namespace {

using Options = std::vector<std::wstring>;

class FakeCacheFolder : public jvm::CacheFolder {
 public:
  FakeCacheFolder(bool writable, bool whole, std::set<std::wstring> folders = {})
      : writable_(writable), whole_(whole), folders_(std::move(folders)) {}
  const wchar_t* MakeWritable(const std::wstring& folder) override {
    asked = folder;
    return writable_ ? nullptr : L"no folder";
  }
  bool Holds(const std::wstring& file) override {
    held = file;
    return whole_;
  }
  bool FindsFolder(const std::wstring& pattern) override { return folders_.count(pattern) != 0; }
  std::uint64_t FreeBytes(const std::wstring&) override { return freeBytes; }
  bool Exists(const std::wstring& file) override { return marked.count(file) != 0; }
  std::wstring asked, held;
  std::uint64_t freeBytes = jvm::kCacheRoomBytes;
  std::set<std::wstring> marked;

 private:
  bool writable_, whole_;
  std::set<std::wstring> folders_;
};

const std::wstring kFolder = L"C:\\Users\\u\\AppData\\Local\\App\\{CODE}\\cache\\";

TEST(StartupCache, OptionsByRuntimeRouteAndFile) {
  const Options plain = {L"-Djava.class.path=C:\\app\\a.jar;", L"-Xmx256m"};
  const struct {
    int feature;
    bool aotCache;  // the runtime can start bin\java.exe for a windowed program
    bool whole;     // a finished file is there
    Options expected;  // between the class path and -Xmx256m: {file} the cache, {written} this start's temporary
  } cases[] = {
      {13, true, false, {L"-XX:ArchiveClassesAtExit={written}", L"-Xlog:cds*=off"}},
      {13, false, true, {L"-XX:SharedArchiveFile={file}", L"-Xlog:cds*=off"}},
      {17, true, false, {L"-XX:ArchiveClassesAtExit={written}", L"-Xlog:cds*=off"}},
      {18, false, true, {L"-XX:SharedArchiveFile={file}", L"-Xlog:cds*=off"}},
      {19, false, false, {L"-XX:+AutoCreateSharedArchive", L"-XX:SharedArchiveFile={written}", L"-Xlog:cds*=off"}},
      // A finished file is only ever read: the runtime never rewrites it in place.
      {24, true, true, {L"-XX:SharedArchiveFile={file}", L"-Xlog:cds*=off"}},
      {25, true, false, {L"-XX:AOTCacheOutput={written}", L"-Xlog:aot*=off,cds*=off"}},
      {25, true, true, {L"-XX:AOTCache={file}", L"-Xlog:aot*=off,cds*=off"}},
      {31, true, true, {L"-XX:AOTCache={file}", L"-Xlog:aot*=off,cds*=off"}},
      // No bin\java.exe, or a console program: the dynamic archive.
      {25, false, false,
       {L"-XX:+AutoCreateSharedArchive", L"-XX:SharedArchiveFile={written}", L"-Xlog:aot*=off,cds*=off"}},
      {25, false, true, {L"-XX:SharedArchiveFile={file}", L"-Xlog:aot*=off,cds*=off"}},
  };
  for (const auto& c : cases) {
    Options options = plain;
    FakeCacheFolder disk(true, c.whole);
    jvm::StartupCacheFiles files;
    const wchar_t* off =
        jvm::AddStartupCacheOptions(options, c.feature, c.aotCache, true, kFolder, L"4711", {L"rt"}, disk, files);
    const std::wstring name = jvm::StartupCacheFileName(c.aotCache && c.feature >= 25, {L"rt"}, plain);
    Options expected = plain;
    for (std::wstring option : c.expected) {
      for (const auto& [mark, value] : {std::pair{L"{file}", kFolder + name},
                                        std::pair{L"{written}", kFolder + name.substr(0, 16) + L".4711.tmp"}}) {
        if (auto at = option.find(mark); at != std::wstring::npos) option.replace(at, std::wcslen(mark), value);
      }
      expected.insert(expected.end() - 1, option);
    }
    const std::string what = "runtime " + std::to_string(c.feature) + (c.aotCache ? ", AOT cache" : "") +
                             (c.whole ? ", file whole" : ", no file");
    EXPECT_EQ(off, nullptr) << what;
    EXPECT_EQ(options, expected) << what;
    EXPECT_EQ(disk.asked, kFolder) << what;
    EXPECT_EQ(files.file, kFolder + name) << what;
    EXPECT_EQ(disk.held, files.file) << what;
    EXPECT_EQ(files.written, c.whole ? L"" : kFolder + name.substr(0, 16) + L".4711.tmp") << what;
  }
}

TEST(StartupCache, OffAndWhy) {
  const std::set<std::wstring> folders = {L"C:\\app\\classes", L"C:\\app\\mods\\*", L"C:\\app\\modapp\\*"};
  struct Case {
    int feature;
    bool writable;
    Options options;  // after the class path option
    const wchar_t* offReason;
    bool aotCache = true, baseArchive = true;
  };
  const Case cases[] = {
      {0, true, {}, L"no version"},
      {8, true, {}, L"before 13"},
      {12, true, {}, L"before 13"},
      // The user's own parameters steer class data sharing, or may.
      {17, true, {L"-Xshare:off"}, L"VM parameters"},
      {17, true, {L"-Xshare:auto"}, L"VM parameters"},
      {17, true, {L"-Xshare:on"}, L"VM parameters"},
      {17, true, {L"-Xshare:dump"}, L"VM parameters"},
      {17, true, {L"-XX:SharedClassListFile=app.lst"}, L"VM parameters"},
      {17, true, {L"-XX:DumpLoadedClassList=app.lst"}, L"VM parameters"},
      {17, true, {L"-XX:SharedArchiveFile=C:\\my.jsa"}, L"VM parameters"},
      {17, true, {L"-XX:ArchiveClassesAtExit=x"}, L"VM parameters"},
      {17, true, {L"-XX:-UseSharedSpaces"}, L"VM parameters"},
      {17, true, {L"-XX:SharedBaseAddress=0"}, L"VM parameters"},
      {21, true, {L"-XX:-AutoCreateSharedArchive"}, L"VM parameters"},
      {25, true, {L"-XX:AOTCache=x.aot"}, L"VM parameters"},
      {25, true, {L"-XX:AOTMode=off"}, L"VM parameters"},
      {25, true, {L"-XX:AOTCacheOutput=x.aot"}, L"VM parameters"},
      {25, true, {L"-XX:AOTConfiguration=x.conf"}, L"VM parameters"},
      {25, true, {L"-XX:VMOptionsFile=C:\\app\\vm.txt"}, L"VM parameters"},
      {25, true, {L"-XX:Flags=.hotspotrc"}, L"VM parameters"},
      // A folder the runtime will not archive from.
      {17, true, {L"-Djava.class.path=C:\\app\\a.jar;C:\\app\\classes\\;"}, L"a folder on the class path"},
      {25, true, {L"--module-path=C:\\app\\lib;C:\\app\\mods"}, L"an exploded module on the module path"},
      {17, true, {L"--module-path=C:\\app\\modapp"}, L"an exploded module on the module path"},
      {17, true, {L"-Xbootclasspath/a:C:\\app\\a.jar;C:\\app\\classes"}, L"a folder on -Xbootclasspath/a:"},
      // Refused while the runtime writes a cache; JDK 25's AOT cache takes an agent.
      {17, true, {L"-javaagent:C:\\app\\agent.jar"}, L"-javaagent:"},
      {25, true, {L"-javaagent:C:\\app\\agent.jar=x"}, L"-javaagent:", false},
      {25, true, {L"-javaagent:C:\\app\\agent.jar"}, nullptr},
      {17, true, {L"--limit-modules=java.base"}, L"--limit-modules"},
      {25, true, {L"--patch-module=java.base=C:\\p"}, L"--patch-module"},
      {21, true, {L"--upgrade-module-path=C:\\u"}, L"--upgrade-module-path"},
      // A dynamic archive without the runtime's base archive (jlink leaves it out).
      {17, true, {}, L"no classes.jsa", true, false},
      {25, true, {}, L"no classes.jsa", false, false},
      {25, true, {}, nullptr, true, false},  // the AOT cache needs none
      // A folder that cannot be written.
      {17, false, {}, L"no folder"},
      {25, false, {}, L"no folder"},
      // Options that only resemble them change nothing.
      {17, true, {L"-Dx=-Xshare:off", L"-Dy=-XX:AOTCache", L"-Xmx2g"}, nullptr},
      {17, true, {L"--module-path=C:\\app\\lib;C:\\app\\a.jar"}, nullptr},  // a folder of jars
      {17, true, {L"-Dclasses=C:\\app\\classes"}, nullptr},
      {17, true, {L"-Xbootclasspath/a:C:\\app\\a.jar", L"-agentlib:jdwp=transport=dt_socket"}, nullptr},
  };
  for (const auto& c : cases) {
    Options options = {L"-Djava.class.path=C:\\app\\a.jar;"};
    options.insert(options.end(), c.options.begin(), c.options.end());
    const Options before = options;
    FakeCacheFolder disk(c.writable, false, folders);
    jvm::StartupCacheFiles files;
    const wchar_t* off = jvm::AddStartupCacheOptions(options, c.feature, c.aotCache, c.baseArchive, kFolder, L"1", {L"rt"}, disk, files);
    const std::string what = "runtime " + std::to_string(c.feature) + ", " + testing::PrintToString(c.options);
    EXPECT_EQ(off == nullptr ? std::wstring() : std::wstring(off),
              c.offReason == nullptr ? std::wstring() : std::wstring(c.offReason))
        << what;
    if (c.offReason != nullptr) {
      EXPECT_EQ(options, before) << what;
      EXPECT_EQ(files.written, L"") << what;
      EXPECT_EQ(disk.held, L"") << what;
    }
  }
  // Without a folder at all.
  Options options = {L"-Djava.class.path=a.jar"};
  FakeCacheFolder disk(true, false);
  jvm::StartupCacheFiles files;
  EXPECT_EQ(std::wstring(jvm::AddStartupCacheOptions(options, 17, true, true, L"", L"1", {L"rt"}, disk, files)),
            L"no folder");
  EXPECT_EQ(disk.asked, L"");
}

TEST(StartupCache, OffForTheVariablesOfVmOptionsAsTheRuntimeReadsThem) {
  const struct {
    const wchar_t* name;
    const wchar_t* value;
    bool aotCache;
    bool off;
  } cases[] = {
      {L"JAVA_TOOL_OPTIONS", L"-Xshare:off", true, true},
      {L"JAVA_TOOL_OPTIONS", L"-Xmx1g\t -XX:SharedArchiveFile=C:\\x.jsa", false, true},
      {L"_JAVA_OPTIONS", L"-Dx=1 -javaagent:a.jar", false, true},
      {L"_JAVA_OPTIONS", L"'--limit-modules=java.base'", true, true},
      {L"JDK_JAVA_OPTIONS", L"-Xshare:auto", true, true},
      {L"JDK_JAVA_OPTIONS", L"@C:\\more.txt", true, true},
      // Only bin\java reads it, which only the AOT cache starts.
      {L"JDK_JAVA_OPTIONS", L"-Xshare:auto", false, false},
      // Inside quotes, one option.
      {L"JAVA_TOOL_OPTIONS", L"\"-Dnote=a -Xshare:off\"", true, false},
      {L"JAVA_TOOL_OPTIONS", L"-Xmx1g -Dx=-Xshare:off", true, false},
      {L"JAVA_TOOL_OPTIONS", L"", true, false},
  };
  for (const auto& c : cases) {
    Options options = {L"-Djava.class.path=a.jar"};
    FakeCacheFolder disk(true, false);
    jvm::StartupCacheFiles files;
    const wchar_t* off = jvm::AddStartupCacheOptions(options, 25, c.aotCache, true, kFolder, L"1", {L"rt"}, disk, files,
                                                     {{L"JAVA_TOOL_OPTIONS", L"-Xmx1g"}, {c.name, c.value}});
    EXPECT_EQ(off == nullptr ? L"" : std::wstring(off), c.off ? c.name : L"")
        << testing::PrintToString(std::wstring(c.name)) << "=" << testing::PrintToString(std::wstring(c.value));
  }
  EXPECT_EQ(jvm::EnvironmentVmOptions(L"  -Da='b c'\t-Dd=\"e'f\"g\r\n-Xmx1g \"unclosed x"),
            (Options{L"-Da=b c", L"-Dd=e'fg", L"-Xmx1g", L"unclosed x"}));
}

TEST(StartupCache, OffAfterTheRuntimeRefusedTheFileOrWithoutRoomOnTheDisk) {
  const Options plain = {L"-Djava.class.path=a.jar"};
  const std::wstring file = kFolder + jvm::StartupCacheFileName(false, {L"rt"}, plain);
  EXPECT_EQ(jvm::RefusedMarkerOf(file), file + L".off");
  const struct {
    bool marked, whole;
    std::uint64_t freeBytes;
    const wchar_t* off;
  } cases[] = {
      {true, true, jvm::kCacheRoomBytes, L"refused at an earlier start"},
      {true, false, jvm::kCacheRoomBytes, L"refused at an earlier start"},
      {false, false, jvm::kCacheRoomBytes - 1, L"little free space"},
      // A finished file is only read.
      {false, true, 0, nullptr},
      {false, false, jvm::kCacheRoomBytes, nullptr},
  };
  for (const auto& c : cases) {
    Options options = plain;
    FakeCacheFolder disk(true, c.whole);
    disk.freeBytes = c.freeBytes;
    if (c.marked) disk.marked.insert(jvm::RefusedMarkerOf(file));
    jvm::StartupCacheFiles files;
    const wchar_t* off = jvm::AddStartupCacheOptions(options, 17, false, true, kFolder, L"1", {L"rt"}, disk, files);
    EXPECT_EQ(off == nullptr ? L"" : std::wstring(off), c.off == nullptr ? L"" : c.off) << c.marked << c.whole;
    EXPECT_EQ(options.size(), c.off == nullptr ? 3u : 1u);
    if (c.off != nullptr) {
      EXPECT_EQ(files.file + files.written, L"");
    }
  }
  // The runtime would read a ";" in the folder as two files.
  Options options = plain;
  FakeCacheFolder disk(true, false);
  jvm::StartupCacheFiles files;
  EXPECT_EQ(std::wstring(jvm::AddStartupCacheOptions(options, 25, true, true, L"C:\\a;b\\cache\\", L"1", {L"rt"},
                                                     disk, files)),
            L"no folder");
  EXPECT_EQ(disk.asked, L"");
}

TEST(StartupCache, TheRuntimesEndSaysWhetherItRefusedTheCache) {
  const struct {
    bool aborted;
    int code;
    bool mainRan, writing;
    const wchar_t* why;
  } cases[] = {
      {true, 1, false, false, L"the VM aborted"},
      {true, 1, true, true, L"the VM aborted"},  // while it wrote the cache
      {true, 1, true, false, nullptr},           // the application's own end
      {false, 1, false, true, L"the VM ended with an error before main"},
      {false, 0, false, true, nullptr},
      {false, 3, true, true, nullptr},  // System.exit(3) of the application
  };
  for (const auto& c : cases) {
    const wchar_t* why = jvm::RefusalAtEnd(c.aborted, c.code, c.mainRan, c.writing);
    EXPECT_EQ(why == nullptr ? L"" : std::wstring(why), c.why == nullptr ? L"" : c.why)
        << c.aborted << " " << c.code << " " << c.mainRan << " " << c.writing;
  }
}

TEST(StartupCache, FeatureReleaseReadsOldAndNewVersionNumbers) {
  EXPECT_EQ(jvm::FeatureRelease(1, 8), 8);
  EXPECT_EQ(jvm::FeatureRelease(17, 0), 17);
  EXPECT_EQ(jvm::FeatureRelease(25, 1), 25);
  EXPECT_EQ(jvm::FeatureRelease(0, 0), 0);
}

TEST(StartupCache, FolderUnderLocalApplicationData) {
  const std::wstring local = L"C:\\Users\\u\\AppData\\Local";
  const struct {
    const wchar_t* name;
    const wchar_t* code;
    const wchar_t* executable;
    std::wstring expected;  // after the local application-data folder
  } cases[] = {
      {L"AB Tools", L"{9A1B}", L"C:\\Apps\\MyApp.exe", L"\\AB Tools\\{9A1B}\\cache\\"},
      // Without a product name the executable's base name names the folder.
      {L"", L"", L"C:\\Apps\\My.App.exe", L"\\My.App\\cache\\"},
      {L"", L"{9A1B}", L"MyApp", L"\\MyApp\\{9A1B}\\cache\\"},
      // Each is one folder name: nothing leads out of the folder above it.
      {L"App", L"..\\..\\..\\escaped", L"C:\\a.exe", L"\\App\\.._.._.._escaped\\cache\\"},
      {L"App", L"../x", L"C:\\a.exe", L"\\App\\.._x\\cache\\"},
      {L"..", L"{C}", L"C:\\a.exe", L"\\__\\{C}\\cache\\"},
      {L"App", L".", L"C:\\a.exe", L"\\App\\_\\cache\\"},
      {L"App. .", L"code ", L"C:\\a.exe", L"\\App___\\code_\\cache\\"},
      {L"A\tB", L"C:D|E", L"C:\\a.exe", L"\\A_B\\C_D_E\\cache\\"},
      // The runtime takes a ";" in its file option for a list of files.
      {L"A;B", L"{C;D}", L"C:\\a.exe", L"\\A_B\\{C_D}\\cache\\"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(jvm::StartupCacheFolder(local, c.name, c.code, c.executable), local + c.expected)
        << testing::PrintToString(std::wstring(c.name)) << " " << testing::PrintToString(std::wstring(c.code));
  }
  EXPECT_EQ(jvm::StartupCacheFolder(L"", L"App", L"", L"C:\\MyApp.exe"), L"") << "not the root of the drive";
}

TEST(StartupCache, FileNameHashesEveryPieceAndEveryOption) {
  const Options options = {L"-Djava.class.path=a.jar;", L"-Xmx256m"};
  const std::wstring base = jvm::StartupCacheFileName(false, {L"C:\\jdk17\\bin\\server\\jvm.dll", L"stamps"}, options);
  EXPECT_EQ(base.size(), 20u) << testing::PrintToString(base);
  EXPECT_EQ(base.find_first_not_of(L"0123456789abcdef"), 16u) << testing::PrintToString(base);
  EXPECT_EQ(base.substr(16), L".jsa");
  EXPECT_EQ(base, jvm::StartupCacheFileName(false, {L"C:\\jdk17\\bin\\server\\jvm.dll", L"stamps"}, options));
  const std::wstring others[] = {
      jvm::StartupCacheFileName(false, {L"C:\\jdk17b\\bin\\server\\jvm.dll", L"stamps"}, options),
      jvm::StartupCacheFileName(false, {L"C:\\jdk17\\bin\\server\\jvm.dll", L"stamps2"}, options),
      // Options the runtime checks the file against.
      jvm::StartupCacheFileName(false, {L"C:\\jdk17\\bin\\server\\jvm.dll", L"stamps"},
                                {L"-Djava.class.path=a.jar;", L"-Xmx40g"}),
      jvm::StartupCacheFileName(false, {L"C:\\jdk17\\bin\\server\\jvm.dll", L"stamps"},
                                {L"-Djava.class.path=a.jar;", L"-Xmx256m", L"--add-modules=java.sql"}),
      jvm::StartupCacheFileName(false, {L"C:\\jdk17\\bin\\server\\jvm.dll", L"stamps"},
                                {L"-Djava.class.path=a.jar;", L"-Xmx256m", L"-XX:+UseCompactObjectHeaders"}),
      // Pieces do not run into each other.
      jvm::StartupCacheFileName(false, {L"C:\\jdk17\\bin\\server\\jvm.dllstamps", L""}, options),
  };
  for (const std::wstring& other : others) EXPECT_NE(other, base) << testing::PrintToString(other);
  EXPECT_EQ(jvm::StartupCacheFileName(true, {L"C:\\jdk17\\bin\\server\\jvm.dll", L"stamps"}, options),
            base.substr(0, 16) + L".aot");
}

TEST(StartupCache, ArchiveMagic) {
  // The first four bytes, little-endian: a2 ab 0b f0 (static archive, AOT
  // cache) and a8 ab 0b f0 (dynamic archive).
  EXPECT_TRUE(jvm::IsArchiveMagic(0xF00BABA2u));
  EXPECT_TRUE(jvm::IsArchiveMagic(0xF00BABA8u));
  for (std::uint32_t other : {0u, 0xA2AB0BF0u, 0xF00BABA0u, 0xF00BABAAu, 0x6863726Au /* "jarc" */}) {
    EXPECT_FALSE(jvm::IsArchiveMagic(other)) << std::hex << other;
  }
}

}  // namespace
