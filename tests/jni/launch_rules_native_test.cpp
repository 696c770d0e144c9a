// The launcher's rules where the runtime's own reading decides: the class
// path option, the streams of the VM's words and the "Main Module" check,
// against OpenJDK 17 and JDK 25 (skipped where it is not installed). Each start
// runs in a child process of its own through the launcher's JNI layer.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "config/settings_catalogue.h"
#include "jvm/vm_options.h"
#include "tests/jni/native_start.h"

namespace {

using nativestart::Narrow;
using nativestart::Wide;

constexpr int kMainRan = 0;
constexpr int kMainNotFound = 92;  // the VM came up, the main class did not

class LaunchRulesNative : public testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    libjvm_ = GetParam() == 17 ? VORN_LIBJVM_PATH : VORN_JDK25_HOME "/lib/server/libjvm.so";
    struct stat info {};
    if (stat(libjvm_.c_str(), &info) != 0) GTEST_SKIP() << "no JDK " << GetParam() << " at " << libjvm_;
    char pattern[] = "/tmp/vorn-launch-rules-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    scratch_ = pattern;
  }
  void TearDown() override {
    if (!scratch_.empty()) std::filesystem::remove_all(scratch_);
  }

  // The option texts the launcher composes, with Windows' ";" read as Linux's ":".
  static std::vector<std::string> Options(const std::wstring& classPath, const std::wstring& modulePath,
                                          const std::wstring& mainModule, const std::wstring& parameters = L"") {
    std::uint64_t stack = 0;
    std::vector<std::string> options;
    const std::wstring vmClassPath = jvm::ClassPathForVm(classPath, !mainModule.empty(), L"/nonexistent/exe-folder/");
    for (const std::wstring& text :
         jvm::ComposeVmOptionTexts(vmClassPath, modulePath, mainModule, parameters, {}, stack)) {
      std::string option = Narrow(text);
      std::replace(option.begin(), option.end(), ';', ':');
      options.push_back(option);
    }
    options.insert(options.end(), {"-Xshare:off", "-XX:-UsePerfData", "-XX:+UseSerialGC"});
    return options;
  }

  nativestart::Result Run(std::vector<std::string> options, const std::string& mainClass,
                          const std::string& workingDirectory = {}) {
    return nativestart::RunStart({libjvm_, std::move(options), mainClass, {}, output(), workingDirectory, tail()});
  }
  std::string output() const { return scratch_ + "/output.txt"; }
  std::string tail() const { return scratch_ + "/tail.txt"; }

  std::string libjvm_, scratch_;
};

TEST_P(LaunchRulesNative, NoClassPathReachesTheWorkingFolder) {
  const std::string stray = VORN_STRAY_CLASS_FOLDER;
  const struct {
    const wchar_t *classPath, *mainModule;
    int exitCode;
  } rows[] = {
      {L"/nonexistent/app.jar;", L"", kMainNotFound},        // the ";" every entry ends with
      {L";/nonexistent/a.jar;;/nonexistent/b.jar;", L"", kMainNotFound},
      {L";", L"vorn.modapp", kMainNotFound},                  // a modular application without class path
      {L";", L"", kMainNotFound},                             // a module path, no class path, no main module
      {L"/nonexistent/app.jar;.", L"", kMainRan},             // the folder named: the probe works
  };
  for (const auto& row : rows) {
    const auto result = Run(Options(row.classPath, Wide(VORN_MODAPP_JAR), row.mainModule), "Stray", stray);
    EXPECT_EQ(result.exitCode, row.exitCode)
        << Narrow(row.classPath) << " " << Narrow(row.mainModule) << "\n" << nativestart::ReadFile(output());
  }
}

TEST_P(LaunchRulesNative, LoggingReachesItsOwnStreamAndOnlyStandardErrorIsKept) {
  const std::string log = scratch_ + "/gc.log";
  auto options = Options(Wide(VORN_TEST_JAR), L"", L"");
  // A deprecated option: a warning on the VM's standard error (its first words through the hook).
  // The file's lines carry nanoseconds, standard output's the default decorations.
  options.insert(options.end(), {"-Xlog:gc*:file=" + log + ":uptimenanos,tags", "-Xlog:gc+init:stdout", "-Xverify:none"});
  const auto result = Run(options, "test/Echo");
  const std::string said = nativestart::ReadFile(output()), kept = nativestart::ReadFile(tail());
  EXPECT_EQ(result.exitCode, kMainRan) << said;
  EXPECT_NE(nativestart::ReadFile(log).find("ns][gc"), std::string::npos) << "the -Xlog file stayed empty";
  EXPECT_NE(said.find("[gc,init"), std::string::npos) << "standard output lost the VM's logging: " << said;
  EXPECT_EQ(kept.find("ns][gc"), std::string::npos) << "logging for a file was kept:\n" << kept;
  // Standard output's words of the start are kept as well, for a start that fails.
  EXPECT_NE(kept.find("[gc,init"), std::string::npos) << kept;
  EXPECT_NE(kept.find("VM warning"), std::string::npos) << "the warning on standard error was not kept: [" << kept << "]";
}

// A VM that cannot start says why on its standard output, through the hook
// (kept for the box), or through Java's own System.out (not through the hook:
// a windowed program holds its standard handles to keep it).
TEST_P(LaunchRulesNative, AVmThatCannotStartSaysWhyWhereTheLauncherKeepsIt) {
  const struct {
    std::vector<std::string> options;
    const char* reason;
    bool throughTheHook;
  } rows[] = {
      {{"-Xms64m", "-Xmx32m"}, "Initial heap size set to a larger value than the maximum heap size", true},
      {{"-XX:+UseG1GC"}, "Multiple garbage collectors selected", true},  // beside the test's serial collector
      {{"-agentlib:vornnosuch"}, "Could not find agent library vornnosuch on the library path", true},
      {{"-Djdk.module.main=vorn.nosuch", "--add-modules=vorn.nosuch"}, "FindException: Module vorn.nosuch not found",
       false},
  };
  for (const auto& row : rows) {
    auto options = Options(Wide(VORN_TEST_JAR), L"", L"");
    options.insert(options.end(), row.options.begin(), row.options.end());
    const auto result = Run(options, "test/Echo");
    const std::string said = nativestart::ReadFile(output()), kept = nativestart::ReadFile(tail());
    EXPECT_EQ(result.exitCode, 1) << row.reason << ": the VM ends the process over it\n" << said;
    if (row.throughTheHook) {
      EXPECT_NE(kept.find("Error occurred during initialization of VM"), std::string::npos) << kept;
      EXPECT_NE(kept.find(row.reason), std::string::npos) << "the reason was not kept: [" << kept << "]";
    } else {
      EXPECT_NE(said.find(row.reason), std::string::npos) << said;
      EXPECT_EQ(kept.find(row.reason), std::string::npos) << "now through the hook: " << kept;
    }
  }
}

TEST_P(LaunchRulesNative, MainModuleCheckRefusesWhatTheVmWouldEndOver) {
  const struct {
    const wchar_t* value;
    bool valid;
  } rows[] = {{L"my mod", false}, {L"=x", false}, {L"m\"x", false}, {L"java.base/test.Echo", true}};
  for (const auto& row : rows) {
    ASSERT_EQ(config::IsMainModuleValue(row.value), row.valid) << Narrow(row.value);
    const config::MainEntry entry = config::ParseMainEntry(L"", row.value);
    const auto result = Run(Options(Wide(VORN_TEST_JAR), L"", entry.mainModule), Narrow(entry.mainClass));
    // The VM ends the process over a module name it cannot take (its abort, 1).
    EXPECT_EQ(result.exitCode, row.valid ? kMainRan : 1) << Narrow(row.value) << "\n" << nativestart::ReadFile(output());
  }
}

INSTANTIATE_TEST_SUITE_P(Runtimes, LaunchRulesNative, testing::Values(17, 25),
                         [](const testing::TestParamInfo<int>& info) { return "Jdk" + std::to_string(info.param); });

}  // namespace
