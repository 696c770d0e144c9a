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
#include "tests/jni/cache_refusals.h"
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
  std::wstring written;                    // what the runtime wrote, empty when it mapped the file
  const wchar_t* off = nullptr;            // why the rule added nothing
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
    folder_ = Wide(scratch_) + L"\\local\\App\\{CODE}\\cache\\";
  }
  void TearDown() override {
    if (!scratch_.empty()) std::filesystem::remove_all(scratch_);
  }

  // One start of the test application with the startup cache on, as a
  // windowed launcher whose runtime has bin/java (`aotCache`) would make it.
  Outcome Launch(const std::string& classPath, std::vector<std::wstring> arguments = {}, bool aotCache = true,
                 std::vector<std::wstring> parameters = {}, bool killWhileWriting = false) {
    const std::wstring classPathOption = Wide("-Djava.class.path=" + classPath);
    Outcome outcome;
    nativestart::PosixCacheFolder disk;
    std::vector<std::wstring> texts{classPathOption};
    texts.insert(texts.end(), parameters.begin(), parameters.end());
    const std::string n = std::to_string(++starts_);
    nativestart::Start start{runtime_.libjvm, {}, "cachetest/App", std::move(arguments),
                             scratch_ + "/output-" + n + ".txt"};
    const std::string server = runtime_.libjvm.substr(0, runtime_.libjvm.rfind('/') + 1);
    const bool baseArchive = std::filesystem::exists(server + "classes.jsa");
    outcome.off = jvm::AddStartupCacheOptions(texts, runtime_.feature, aotCache, baseArchive, folder_, Wide(n),
                                              {Wide(runtime_.libjvm)}, disk, start.cache,
                                              {{variableName_, variableValue_}});
    outcome.cacheOptions.assign(texts.begin() + 1, texts.end() - parameters.size());
    outcome.file = start.cache.file;
    outcome.written = start.cache.written;
    start.killWhileWriting = killWhileWriting;
    for (const std::wstring& option : texts) start.options.push_back(Narrow(option));
    start.options.push_back("-Xlog:class+load=info:file=" + scratch_ + "/classes-" + n + ".log");
    start.options.push_back("-XX:-UsePerfData");
    outcome.result = nativestart::RunStart(start);
    outcome.output = nativestart::ReadFile(start.outputFile);
    outcome.classes = nativestart::ReadFile(scratch_ + "/classes-" + n + ".log");
    return outcome;
  }

  bool CacheFileExists(const Outcome& outcome) {
    struct stat info {};
    return !outcome.file.empty() && stat(Narrow(outcome.file).c_str(), &info) == 0;
  }
  std::string MakesCacheOption() const { return runtime_.feature >= 25 ? "-XX:AOTCacheOutput=" : "-XX:ArchiveClassesAtExit="; }
  std::string UsesCacheOption() const { return runtime_.feature >= 25 ? "-XX:AOTCache=" : "-XX:SharedArchiveFile="; }
  static bool MappedFromCache(const Outcome& outcome) {
    return outcome.classes.find("cachetest.App source: shared objects file") != std::string::npos;
  }

  // The first start makes the cache (at its end, whichever way it ends), the
  // second maps the application's classes from it.
  void CheckFirstAndSecondStart(const std::vector<std::wstring>& arguments, const std::string& classPath,
                                bool aotCache = true) {
    Outcome first = Launch(classPath, arguments, aotCache);
    ASSERT_FALSE(first.cacheOptions.empty()) << first.output;
    const bool aot = aotCache && runtime_.feature >= 25;
    EXPECT_EQ(Narrow(first.cacheOptions[aot || runtime_.feature < 19 ? 0 : 1]),
              (aot ? MakesCacheOption() : runtime_.feature < 19 ? "-XX:ArchiveClassesAtExit=" : "-XX:SharedArchiveFile=") +
                  Narrow(first.written));
    EXPECT_EQ(first.result.exitCode, 0) << first.output;
    EXPECT_TRUE(CacheFileExists(first)) << "the first start wrote no cache: " << Narrow(first.file) << "\n"
                                        << first.output;
    EXPECT_FALSE(std::filesystem::exists(Narrow(first.written))) << "the temporary stayed";
    // The AOT cache is made by bin/java, which says so on the streams: only for a windowed program.
    if (!aot) EXPECT_EQ(first.output, "") << "the first start printed something";

    Outcome second = Launch(classPath, arguments, aotCache);
    ASSERT_EQ(second.cacheOptions.size(), 2u);
    EXPECT_EQ(second.file, first.file);
    EXPECT_EQ(Narrow(second.cacheOptions[0]), (aot ? UsesCacheOption() : "-XX:SharedArchiveFile=") + Narrow(second.file));
    EXPECT_EQ(second.result.exitCode, 0) << second.output;
    EXPECT_TRUE(MappedFromCache(second)) << "the second start did not map the application's class:\n"
                                         << second.classes.substr(0, 2000);
    EXPECT_EQ(second.output, "") << "the second start printed something";
  }

  // A variable of VM options for the child (and the rule), set while the test runs.
  void SetVariable(const char* name, const char* value) {
    setenv(name, value, 1);
    variable_ = name;
    variableName_ = variable_ == "_JAVA_OPTIONS" ? L"_JAVA_OPTIONS" : L"JAVA_TOOL_OPTIONS";
    variableValue_ = Wide(value);
  }
  void ClearVariable() {
    if (!variable_.empty()) unsetenv(variable_.c_str());
    variable_.clear();
    variableValue_.clear();
  }
  // A folder with a class in it, which the runtime will not archive from.
  std::string FullFolder() {
    const std::string folder = scratch_ + "/full";
    std::filesystem::create_directories(folder);
    std::ofstream(folder + "/Some.class") << "class";
    return folder;
  }

  Runtime runtime_;
  std::string scratch_;
  std::wstring folder_;
  int starts_ = 0;
  std::string variable_;
  const wchar_t* variableName_ = L"JAVA_TOOL_OPTIONS";
  std::wstring variableValue_;
};

TEST_P(StartupCacheNative, MainReturningLeavesACacheTheNextStartMaps) { CheckFirstAndSecondStart({}, VORN_CACHE_TEST_JAR); }

TEST_P(StartupCacheNative, SystemExitLeavesACacheTheNextStartMaps) {
  CheckFirstAndSecondStart({L"exit"}, VORN_CACHE_TEST_JAR);
}

TEST_P(StartupCacheNative, AConsoleProgramsOutputStaysItsOwn) {
  // A console program, or a runtime without bin/java: the dynamic archive,
  // which writes nothing to the standard streams.
  CheckFirstAndSecondStart({}, VORN_CACHE_TEST_JAR, false);
}

TEST_P(StartupCacheNative, ARuntimeWithoutJavaCommandGetsTheDynamicArchive) {
  // A runtime made with jlink --strip-native-commands has no bin/java, which
  // JDK 25 starts at exit to make its AOT cache.
  const std::string home = runtime_.libjvm.substr(0, runtime_.libjvm.rfind("/lib/"));
  const std::string image = scratch_ + "/runtime";
  ASSERT_EQ(std::system((home + "/bin/jlink --strip-native-commands --add-modules java.base,java.logging,java.xml "
                         "--output " + image + " > " + scratch_ + "/jlink.txt 2>&1").c_str()), 0)
      << nativestart::ReadFile(scratch_ + "/jlink.txt");
  ASSERT_FALSE(std::filesystem::exists(image + "/bin/java"));
  runtime_.libjvm = image + "/lib/server/libjvm.so";
  if (std::filesystem::exists(image + "/lib/server/classes.jsa")) {
    CheckFirstAndSecondStart({}, VORN_CACHE_TEST_JAR, false);
    return;
  }
  // Nor has it the base archive a dynamic archive extends: no cache at all,
  // and no start spends its time training for one.
  for (int start = 0; start < 2; ++start) {
    Outcome outcome = Launch(VORN_CACHE_TEST_JAR, {}, false);
    EXPECT_EQ(std::wstring(outcome.off != nullptr ? outcome.off : L""), L"no classes.jsa");
    EXPECT_EQ(outcome.result.exitCode, 0) << outcome.output;
    EXPECT_EQ(outcome.output, "");
  }
}

TEST_P(StartupCacheNative, AFolderOnTheClassPathStartsWithoutTheCache) {
  // The application's classes in a folder: the runtime would refuse to
  // archive them (and end the process at exit, or spend seconds on it).
  const std::string classes = scratch_ + "/classes";
  std::filesystem::create_directories(classes);
  ASSERT_EQ(std::system(("cd " + classes + " && " VORN_JAR_TOOL " xf " VORN_CACHE_TEST_JAR).c_str()), 0);
  for (int start = 0; start < 2; ++start) {
    Outcome outcome = Launch(std::string(VORN_CACHE_TEST_JAR) + ";" + classes);
    EXPECT_TRUE(outcome.cacheOptions.empty());
    EXPECT_EQ(outcome.result.exitCode, 0) << outcome.output;
    EXPECT_EQ(outcome.output, "");
    outcome = Launch(classes);
    EXPECT_TRUE(outcome.cacheOptions.empty());
    EXPECT_EQ(outcome.result.exitCode, 0) << outcome.output;
    EXPECT_EQ(outcome.output, "");
  }
}

TEST_P(StartupCacheNative, ParametersThatSteerSharingStartWithoutTheCache) {
  for (const wchar_t* parameter : {L"-Xshare:auto", L"-XX:SharedArchiveFile=/nonexistent/x.jsa"}) {
    for (int start = 0; start < 2; ++start) {
      Outcome outcome = Launch(VORN_CACHE_TEST_JAR, {}, true, {parameter});
      EXPECT_TRUE(outcome.cacheOptions.empty());
      EXPECT_EQ(outcome.result.exitCode, 0) << outcome.output;
    }
  }
}

TEST_P(StartupCacheNative, AKilledFirstStartLeavesNothingTheNextOneUses) {
  Outcome killed = Launch(VORN_CACHE_TEST_JAR, {}, true, {}, true);
  ASSERT_FALSE(killed.written.empty());
  EXPECT_NE(killed.result.exitCode, 0) << "the first start was not killed";
  EXPECT_FALSE(CacheFileExists(killed)) << "a file the runtime did not finish got the cache's name";
  Outcome again = Launch(VORN_CACHE_TEST_JAR);
  EXPECT_FALSE(again.written.empty()) << "made anew";
  EXPECT_EQ(again.result.exitCode, 0) << again.output;
  Outcome mapped = Launch(VORN_CACHE_TEST_JAR);
  EXPECT_EQ(mapped.result.exitCode, 0) << mapped.output;
  EXPECT_TRUE(MappedFromCache(mapped));
}

TEST_P(StartupCacheNative, AnotherClassPathGetsAnotherFile) {
  const std::string jar = VORN_CACHE_TEST_JAR;
  std::filesystem::create_directories(scratch_ + "/more");
  std::filesystem::copy_file(jar, scratch_ + "/more/other.jar");
  Outcome one = Launch(jar);
  Outcome other = Launch(jar + ";" + scratch_ + "/more/other.jar");
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
  // A stale cache (the jar is newer; the launcher's stamps are not part of
  // this check), then a damaged one past its header: the runtime refuses
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
    std::string bytes = nativestart::ReadFile(Narrow(first.file));
    std::ofstream(Narrow(first.file), std::ios::trunc | std::ios::binary) << bytes.substr(0, 4) << "damaged cache";
  }
}

// The runtimes refuse what tests/jni/cache_refusals.h says, as the double does.
TEST_P(StartupCacheNative, TheRuntimeRefusesWhatTheDoubleRefuses) {
  int n = 0;
  for (const cacherefusals::Case& c : cacherefusals::Cases()) {
    if (cacherefusals::FeatureOf(c.route) != runtime_.feature) continue;
    const std::string archive = scratch_ + "/refusal-" + std::to_string(++n) + "/x";
    std::filesystem::create_directories(archive.substr(0, archive.rfind('/')));
    nativestart::Start start{runtime_.libjvm, {"-Djava.class.path=" VORN_CACHE_TEST_JAR}, "cachetest/App", {},
                             scratch_ + "/refusal-output-" + std::to_string(n) + ".txt"};
    for (const std::string& option : cacherefusals::OptionsOf(c, archive, FullFolder(), VORN_CACHE_AGENT_JAR, ":")) {
      start.options.push_back(option);
    }
    if (c.variable != nullptr) SetVariable(c.variable, c.value);
    const nativestart::Result result = nativestart::RunStart(start);
    ClearVariable();
    const std::string output = nativestart::ReadFile(start.outputFile);
    const std::string what = testing::PrintToString(start.options) + (c.variable ? std::string(" ") + c.variable : "");
    const bool aborted = output.find(nativestart::kAbortHookSays) != std::string::npos;
    EXPECT_EQ(result.exitCode, c.outcome == cacherefusals::Outcome::kRuns ? 0 : 1) << what << "\n" << output;
    EXPECT_EQ(aborted, c.outcome != cacherefusals::Outcome::kRuns) << what << "\n" << output;
    EXPECT_EQ(result.mainDoneMs >= 0, c.outcome != cacherefusals::Outcome::kAbortsAtCreation) << what << "\n" << output;
    EXPECT_NE(output.find(c.said), std::string::npos) << what << "\n" << output;
  }
}

// The rule keeps the cache off beside each of them, and the start runs.
TEST_P(StartupCacheNative, TheRuleKeepsTheCacheOffBesideWhatTheRuntimeRefuses) {
  for (const cacherefusals::Case& c : cacherefusals::Cases()) {
    if (cacherefusals::FeatureOf(c.route) != runtime_.feature || c.outcome == cacherefusals::Outcome::kRuns ||
        (!c.options.empty() && c.options[0].rfind("-XX:", 0) == 0)) {
      continue;
    }
    std::vector<std::wstring> parameters;
    for (const std::string& option : cacherefusals::OptionsOf(c, "", FullFolder(), VORN_CACHE_AGENT_JAR, ":")) {
      if (option.rfind("-XX:", 0) != 0) parameters.push_back(Wide(option));
    }
    if (c.variable != nullptr) SetVariable(c.variable, c.value);
    const Outcome outcome = Launch(VORN_CACHE_TEST_JAR, {}, c.route == cacherefusals::Route::kAotCache, parameters);
    ClearVariable();
    EXPECT_NE(outcome.off, nullptr) << testing::PrintToString(parameters) << (c.variable ? c.variable : "");
    EXPECT_EQ(outcome.result.exitCode, 0) << outcome.output;
  }
  // A ";" in the product's names stays out of the file's path (here ":").
  folder_ = jvm::StartupCacheFolder(Wide(scratch_) + L"\\local", L"A;B", L"{C;D}", L"app.exe");
  CheckFirstAndSecondStart({}, VORN_CACHE_TEST_JAR);
}

INSTANTIATE_TEST_SUITE_P(Runtimes, StartupCacheNative, testing::Values(17, 25),
                         [](const testing::TestParamInfo<int>& info) { return "Jdk" + std::to_string(info.param); });

}  // namespace
