// The double refuses what the real runtimes refuse beside the startup cache's
// options, the same way (tests/jni/cache_refusals.h, checked against OpenJDK
// 17 and JDK 25 in tests/jni): each case's VM in a death-test child.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "jvm/java_calls.h"
#include "tests/jni/cache_refusals.h"
#include "tests/support/test_files.h"

namespace {

bool mainRan = false;

// The abort hook ends the child with 2 before main, 3 after it.
void JNICALL AbortHook() { ExitProcess(mainRan ? 3 : 2); }
void JNICALL ExitHook(jint) {}

[[noreturn]] void Start(const std::vector<std::string>& options) {
  HMODULE library = LoadLibraryW(testsupport::BinFile(L"double\\jvm.dll").c_str());
  const auto create = reinterpret_cast<jvm::CreateJavaVmFn>(
      reinterpret_cast<void*>(GetProcAddress(library, "JNI_CreateJavaVM")));
  if (create == nullptr) ExitProcess(90);
  static std::vector<std::string> kept;  // outlives the VM
  kept = options;
  JavaVM* vm = nullptr;
  JNIEnv* env = nullptr;
  if (jvm::CreateJavaVmWith(create, kept, &AbortHook, &ExitHook, &vm, &env) != JNI_OK) ExitProcess(91);
  jclass echo = env->FindClass("test/Echo");
  jmethodID main = echo != nullptr ? env->GetStaticMethodID(echo, "main", "([Ljava/lang/String;)V") : nullptr;
  if (main == nullptr) ExitProcess(92);
  env->CallStaticVoidMethod(echo, main, env->NewObjectArray(0, env->FindClass("java/lang/String"), nullptr));
  mainRan = true;
  vm->DetachCurrentThread();
  vm->DestroyJavaVM();
  ExitProcess(0);
}

TEST(JvmDoubleSharing, RefusesWhatTheRuntimesRefuse) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  wchar_t temp[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring scratch = std::wstring(temp) + L"vorn-double-sharing-" + std::to_wstring(GetCurrentProcessId());
  testsupport::WriteTextFile(scratch + L"\\full\\Some.class", L"class", testsupport::Encoding::Ansi);
  const std::string folder(scratch.begin(), scratch.end());
  int n = 0;
  for (const cacherefusals::Case& c : cacherefusals::Cases()) {
    const std::string archive = folder + "\\x" + std::to_string(++n);
    std::vector<std::string> options = {"-Djava.class.path=C:\\app\\a.jar"};
    for (const std::string& option : cacherefusals::OptionsOf(c, archive, folder + "\\full", "C:\\agent.jar", ";")) {
      options.push_back(option);
    }
    if (c.variable != nullptr) SetEnvironmentVariableA(c.variable, c.value);
    const int code = c.outcome == cacherefusals::Outcome::kRuns ? 0 : c.outcome == cacherefusals::Outcome::kAbortsAtCreation ? 2 : 3;
    EXPECT_EXIT(Start(options), testing::ExitedWithCode(code), c.said)
        << testing::PrintToString(options) << (c.variable != nullptr ? c.variable : "");
    if (c.variable != nullptr) SetEnvironmentVariableA(c.variable, nullptr);
  }
}

}  // namespace
