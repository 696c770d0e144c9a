// The startup cache against the real runtimes on Linux: OpenJDK 17's dynamic
// archive, and JDK 25's AOT cache where that runtime is installed. Each start
// runs in a child process of its own through the launcher's JNI layer, with
// the options the launcher's rule chooses.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "jvm/startup_cache.h"
#include "tests/jni/native_start.h"

namespace {

using nativestart::Narrow;
using nativestart::Wide;

struct Runtime {
  int feature;
  std::string libjvm;
};

Runtime RuntimeOf(int feature) {
  return feature == 17 ? Runtime{17, VORN_LIBJVM_PATH} : Runtime{25, VORN_JDK25_HOME "/lib/server/libjvm.so"};
}

struct Outcome {
  nativestart::Result result;
  std::vector<std::wstring> cacheOptions;  // what the rule added
  std::wstring file;                       // the cache file of this start's identity
  std::string output;   // the process's standard output and error
  std::string classes;  // the runtime's class loading log
};

class StartupCacheNative : public testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    runtime_ = RuntimeOf(GetParam());
    struct stat info {};
    if (stat(runtime_.libjvm.c_str(), &info) != 0) {
      GTEST_SKIP() << "no JDK " << runtime_.feature << " at " << runtime_.libjvm << ": its cache is not checked here";
    }
    char pattern[] = "/tmp/vorn-startup-cache-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    scratch_ = pattern;
    folder_ = Wide(scratch_) + L"\\local\\App\\{CODE}\\cache";
  }
  void TearDown() override {
    if (!scratch_.empty()) std::filesystem::remove_all(scratch_);
  }

  // One start of the test application with the startup cache on.
  Outcome Launch(const std::string& classPath, std::vector<std::wstring> arguments = {}) {
    const std::wstring classPathOption = Wide("-Djava.class.path=" + classPath);
    Outcome outcome;
    nativestart::PosixCacheFolder disk;
    std::vector<std::wstring> texts{classPathOption};
    const std::wstring libjvm = Wide(runtime_.libjvm), wideClassPath = Wide(classPath);
    jvm::AddStartupCacheOptions(texts, runtime_.feature, folder_, {libjvm, wideClassPath, L""}, disk);
    outcome.cacheOptions.assign(texts.begin() + 1, texts.end());
    outcome.file = folder_ + L"\\" + jvm::StartupCacheFileName(runtime_.feature, {libjvm, wideClassPath, L""});
    const std::string n = std::to_string(++starts_);
    nativestart::Start start{runtime_.libjvm, {}, "cachetest/App", std::move(arguments),
                             scratch_ + "/output-" + n + ".txt"};
    for (const std::wstring& option : texts) start.options.push_back(Narrow(option));
    start.options.push_back("-Xlog:class+load=info:file=" + scratch_ + "/classes-" + n + ".log");
    start.options.push_back("-XX:-UsePerfData");
    outcome.result = nativestart::RunStart(start);
    outcome.output = nativestart::ReadFile(start.outputFile);
    outcome.classes = nativestart::ReadFile(scratch_ + "/classes-" + n + ".log");
    return outcome;
  }

  bool CacheFileExists(const Outcome& outcome) {
    nativestart::PosixCacheFolder disk;
    return !outcome.file.empty() && disk.Exists(outcome.file);
  }
  std::string MakesCacheOption() const { return runtime_.feature >= 25 ? "-XX:AOTCacheOutput=" : "-XX:ArchiveClassesAtExit="; }
  std::string UsesCacheOption() const { return runtime_.feature >= 25 ? "-XX:AOTCache=" : "-XX:SharedArchiveFile="; }
  static bool MappedFromCache(const Outcome& outcome) {
    return outcome.classes.find("cachetest.App source: shared objects file") != std::string::npos;
  }

  // The first start makes the cache (at its end, whichever way it ends), the
  // second maps the application's classes from it.
  void CheckFirstAndSecondStart(const std::vector<std::wstring>& arguments) {
    const std::string jar = VORN_CACHE_TEST_JAR;
    Outcome first = Launch(jar, arguments);
    ASSERT_EQ(first.cacheOptions.size(), 2u) << first.output;
    EXPECT_EQ(Narrow(first.cacheOptions[0]), MakesCacheOption() + Narrow(first.file));
    EXPECT_EQ(first.result.exitCode, 0) << first.output;
    EXPECT_TRUE(CacheFileExists(first)) << "the first start wrote no cache: " << Narrow(first.file) << "\n"
                                        << first.output;

    Outcome second = Launch(jar, arguments);
    ASSERT_EQ(second.cacheOptions.size(), 2u);
    EXPECT_EQ(second.file, first.file);
    EXPECT_EQ(Narrow(second.cacheOptions[0]), UsesCacheOption() + Narrow(second.file));
    EXPECT_EQ(second.result.exitCode, 0) << second.output;
    EXPECT_TRUE(MappedFromCache(second)) << "the second start did not map the application's class:\n"
                                         << second.classes.substr(0, 2000);
    EXPECT_EQ(second.output, "") << "the second start printed something";
  }

  Runtime runtime_;
  std::string scratch_;
  std::wstring folder_;
  int starts_ = 0;
};

TEST_P(StartupCacheNative, MainReturningLeavesACacheTheNextStartMaps) { CheckFirstAndSecondStart({}); }

TEST_P(StartupCacheNative, SystemExitLeavesACacheTheNextStartMaps) { CheckFirstAndSecondStart({L"exit"}); }

TEST_P(StartupCacheNative, AnotherClassPathGetsAnotherFile) {
  const std::string jar = VORN_CACHE_TEST_JAR;
  std::filesystem::create_directories(scratch_ + "/more");
  Outcome one = Launch(jar);
  Outcome other = Launch(jar + ":" + scratch_ + "/more");
  EXPECT_NE(other.file, one.file);
  EXPECT_EQ(other.result.exitCode, 0) << other.output;
  EXPECT_TRUE(CacheFileExists(one));
  EXPECT_TRUE(CacheFileExists(other)) << "the start with another class path wrote no cache of its own";
}

TEST_P(StartupCacheNative, UnwritableFolderTurnsTheCacheOffSilently) {
  // A file where a folder on the way should be: nothing can be made there.
  std::ofstream(scratch_ + "/local") << "not a folder";
  Outcome start = Launch(VORN_CACHE_TEST_JAR);
  EXPECT_TRUE(start.cacheOptions.empty());
  EXPECT_EQ(start.result.exitCode, 0) << start.output;
  EXPECT_EQ(start.output, "");
}

TEST_P(StartupCacheNative, RefusedCacheStaysOutOfSight) {
  const std::string jar = scratch_ + "/app.jar";
  std::filesystem::copy_file(VORN_CACHE_TEST_JAR, jar);
  Outcome first = Launch(jar);
  ASSERT_TRUE(CacheFileExists(first)) << first.output;
  // A stale cache (the jar is newer), then a damaged one: the runtime refuses
  // what it cannot use and starts as usual, saying nothing.
  std::filesystem::last_write_time(jar, std::filesystem::last_write_time(jar) + std::chrono::hours(1));
  for (const char* what : {"stale", "damaged"}) {
    Outcome refused = Launch(jar);
    ASSERT_FALSE(refused.cacheOptions.empty());
    EXPECT_EQ(Narrow(refused.cacheOptions[0]), UsesCacheOption() + Narrow(refused.file)) << what;
    EXPECT_EQ(refused.result.exitCode, 0) << what << ": " << refused.output;
    // JDK 25 checks the jar's size, not its time: it may still take the stale one.
    if (std::string(what) == "damaged") EXPECT_FALSE(MappedFromCache(refused)) << what;
    EXPECT_EQ(refused.output, "") << "the runtime's messages about the " << what << " cache reached the output";
    std::ofstream(Narrow(first.file), std::ios::trunc) << "damaged cache";
  }
}

INSTANTIATE_TEST_SUITE_P(Runtimes, StartupCacheNative, testing::Values(17, 25),
                         [](const testing::TestParamInfo<int>& info) { return "Jdk" + std::to_string(info.param); });

}  // namespace
