// The startup cache's rules: which options a start gets, the folder and the
// file name. Also built natively (tests/jni) beside the real-runtime checks.
#include <gtest/gtest.h>

#include "jvm/startup_cache.h"

namespace {

using Options = std::vector<std::wstring>;

class FakeCacheFolder : public jvm::CacheFolder {
 public:
  FakeCacheFolder(bool writable, bool fileExists) : writable_(writable), fileExists_(fileExists) {}
  bool MakeWritable(const std::wstring& folder) override {
    asked = folder;
    return writable_;
  }
  bool Exists(const std::wstring&) override { return fileExists_; }
  std::wstring asked;

 private:
  bool writable_, fileExists_;
};

TEST(StartupCache, OptionsByVersionFilePresenceAndSettings) {
  const std::wstring folder = L"C:\\Users\\u\\AppData\\Local\\App\\{CODE}\\cache";
  const Options plain = {L"-Djava.class.path=C:\\app\\a.jar;", L"-Xmx256m"};
  const struct {
    int feature;
    bool exists;
    bool writable;
    Options parameters;  // after the class path option and -Xmx256m
    Options expected;    // between the two; {file} stands for the cache file
    const wchar_t* offReason;
  } cases[] = {
      {0, false, true, {}, {}, L"no version"},
      {8, false, true, {}, {}, L"before 13"},
      {12, true, true, {}, {}, L"before 13"},
      {13, false, true, {}, {L"-XX:ArchiveClassesAtExit={file}", L"-Xlog:cds*=off"}, nullptr},
      {13, true, true, {}, {L"-XX:SharedArchiveFile={file}", L"-Xlog:cds*=off"}, nullptr},
      {17, false, true, {}, {L"-XX:ArchiveClassesAtExit={file}", L"-Xlog:cds*=off"}, nullptr},
      {18, true, true, {}, {L"-XX:SharedArchiveFile={file}", L"-Xlog:cds*=off"}, nullptr},
      {19, false, true, {}, {L"-XX:+AutoCreateSharedArchive", L"-XX:SharedArchiveFile={file}", L"-Xlog:cds*=off"},
       nullptr},
      {24, true, true, {}, {L"-XX:+AutoCreateSharedArchive", L"-XX:SharedArchiveFile={file}", L"-Xlog:cds*=off"},
       nullptr},
      {25, false, true, {}, {L"-XX:AOTCacheOutput={file}", L"-Xlog:aot*=off,cds*=off"}, nullptr},
      {25, true, true, {}, {L"-XX:AOTCache={file}", L"-Xlog:aot*=off,cds*=off"}, nullptr},
      {31, true, true, {}, {L"-XX:AOTCache={file}", L"-Xlog:aot*=off,cds*=off"}, nullptr},
      // The user's own cache options, or sharing turned off, win.
      {17, false, true, {L"-Xshare:off"}, {}, L"VM parameters"},
      {17, true, true, {L"-XX:SharedArchiveFile=C:\\my.jsa"}, {}, L"VM parameters"},
      {17, false, true, {L"-XX:ArchiveClassesAtExit=x"}, {}, L"VM parameters"},
      {21, false, true, {L"-XX:-AutoCreateSharedArchive"}, {}, L"VM parameters"},
      {21, false, true, {L"-XX:+AutoCreateSharedArchive"}, {}, L"VM parameters"},
      {25, false, true, {L"-XX:AOTCache=x.aot"}, {}, L"VM parameters"},
      {25, false, true, {L"-XX:AOTMode=off"}, {}, L"VM parameters"},
      {25, false, true, {L"-XX:AOTCacheOutput=x.aot"}, {}, L"VM parameters"},
      // Options that only resemble them change nothing.
      {17, true, true, {L"-Xshare:auto", L"-Dx=-XX:AOTCache"}, {L"-XX:SharedArchiveFile={file}", L"-Xlog:cds*=off"},
       nullptr},
      // A folder that cannot be written: nothing, whatever the runtime.
      {17, false, false, {}, {}, L"no folder"},
      {25, true, false, {}, {}, L"no folder"},
      {17, false, true, {}, {}, L"no folder"},  // no folder at all (below)
  };
  for (const auto& c : cases) {
    Options options = plain;
    options.insert(options.end(), c.parameters.begin(), c.parameters.end());
    FakeCacheFolder disk(c.writable, c.exists);
    const bool noFolder = &c == &cases[std::size(cases) - 1];
    const wchar_t* off = jvm::AddStartupCacheOptions(options, c.feature, noFolder ? L"" : folder, {L"rt", L"cp"}, disk);
    const std::wstring file = folder + L"\\" + jvm::StartupCacheFileName(c.feature, {L"rt", L"cp"});
    Options expected = plain;
    for (std::wstring option : c.expected) {
      if (auto at = option.find(L"{file}"); at != std::wstring::npos) option.replace(at, 6, file);
      expected.insert(expected.end() - 1, option);
    }
    expected.insert(expected.end(), c.parameters.begin(), c.parameters.end());
    const std::string what = "runtime " + std::to_string(c.feature) + (c.exists ? ", file present" : ", no file") +
                             (c.writable ? "" : ", folder not writable") + ", parameters " +
                             testing::PrintToString(c.parameters);
    EXPECT_EQ(options, expected) << what;
    EXPECT_EQ(off == nullptr ? std::wstring() : std::wstring(off),
              c.offReason == nullptr ? std::wstring() : std::wstring(c.offReason))
        << what;
    if (!noFolder && (c.offReason == nullptr || c.writable)) EXPECT_EQ(disk.asked, c.offReason == nullptr ? folder : L"") << what;
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
  EXPECT_EQ(jvm::StartupCacheFolder(local, L"AB Tools", L"{9A1B}", L"C:\\Apps\\MyApp.exe"),
            local + L"\\AB Tools\\{9A1B}\\cache");
  // Without a product name the executable's base name names the folder.
  EXPECT_EQ(jvm::StartupCacheFolder(local, L"", L"", L"C:\\Apps\\My.App.exe"), local + L"\\My.App\\cache");
  EXPECT_EQ(jvm::StartupCacheFolder(local, L"", L"{9A1B}", L"MyApp"), local + L"\\MyApp\\{9A1B}\\cache");
  EXPECT_EQ(jvm::StartupCacheFolder(L"", L"App", L"", L"C:\\MyApp.exe"), L"") << "not the root of the drive";
}

TEST(StartupCache, FileNameChangesWithEveryPieceOfItsIdentity) {
  const std::wstring base = jvm::StartupCacheFileName(17, {L"C:\\jdk17\\bin\\server\\jvm.dll", L"a.jar;", L""});
  EXPECT_EQ(base.size(), std::wstring(L"0123456789abcdef.jsa").size()) << testing::PrintToString(base);
  EXPECT_EQ(base.find_first_not_of(L"0123456789abcdef"), 16u) << testing::PrintToString(base);
  EXPECT_EQ(base, jvm::StartupCacheFileName(17, {L"C:\\jdk17\\bin\\server\\jvm.dll", L"a.jar;", L""}));
  const std::wstring others[] = {
      jvm::StartupCacheFileName(17, {L"C:\\jdk17b\\bin\\server\\jvm.dll", L"a.jar;", L""}),  // another runtime
      jvm::StartupCacheFileName(17, {L"C:\\jdk17\\bin\\server\\jvm.dll", L"b.jar;", L""}),   // another class path
      jvm::StartupCacheFileName(17, {L"C:\\jdk17\\bin\\server\\jvm.dll", L"a.jar;", L"mods"}),  // a module path
      // Pieces do not run into each other.
      jvm::StartupCacheFileName(17, {L"C:\\jdk17\\bin\\server\\jvm.dlla.jar;", L"", L""}),
  };
  for (const std::wstring& other : others) EXPECT_NE(other, base);
  EXPECT_EQ(jvm::StartupCacheFileName(25, {L"C:\\jdk17\\bin\\server\\jvm.dll", L"a.jar;", L""}),
            base.substr(0, 16) + L".aot");
}

}  // namespace
