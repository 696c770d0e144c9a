// Checks of the JNI layer (jvm/jni_helpers.h, jvm/java_calls.h) that run the
// same way against the real OpenJDK 17 on Linux and against the test-double
// jvm.dll under Wine. One virtual machine per process: every scenario that
// needs one runs in a death-test child of its own and ends that process.
#pragma once

#include <jni.h>

#include <string>
#include <vector>

#include "jvm/java_calls.h"

namespace jnichecks {

// ---- supplied per platform (jni_native_shim.cpp / the Windows test) ----
struct VmEntryPoints {
  jvm::CreateJavaVmFn create = nullptr;
  jvm::GetDefaultJavaVmInitArgsFn defaults = nullptr;
  std::string error;  // why loading failed
};
VmEntryPoints LoadVm();
// Options the platform's VM needs besides the ones under test (class path of
// the test classes, quiet flags).
std::vector<std::string> PlatformOptions();
// A new empty folder for the scenario's files.
std::wstring NewScratchFolder();
std::uint32_t CreateParentFoldersFor(const std::wstring& path);
// The bytes of a file; empty when it cannot be read.
std::string ReadFileBytes(const std::wstring& path);
// The exit code of a process ended by System.exit(-1), as the platform reports it.
int StopExitCode();
// JNI misuse the platform's VM reported so far (-Xcheck:jni warnings); the
// double keeps its own account in its record.
int JniWarningCount();

// ---- the scenarios; each ends the process: 0 when every check held ----
enum class Scenario {
  StringRoundTrip,
  OptionsReachVm,
  VmWordsReachTheHook,
  RedirectAndEcho,
  RedirectErrorStream,
  SharedOutputFile,
  ClassNotFound,
  NoMainMethod,
  ThrowsIgnored,
  ThrowsStopped,
  ExitCode,
  HandOver,
  ServiceStop,
  ModularApp,  // needs TestModulePath
  FxApp,       // needs TestModulePath and a display
};
// The module path of the modular test application (ModularApp), or of
// JavaFX's modules and the JavaFX test application (FxApp); empty where the
// platform has none.
std::wstring TestModulePath(Scenario scenario);
[[noreturn]] void RunScenario(Scenario scenario);

// Texts a scenario writes on standard error for the test's pattern.
inline constexpr char kPassed[] = "JNI-CHECKS PASSED";
inline constexpr char kExitHookPrefix[] = "exit hook received ";
inline constexpr char kServiceStopPassed[] = "SERVICE STOP CHECKS PASSED";

// The option array without a VM: order, extra information, init args.
// Returns the failures (empty when every check held).
std::vector<std::string> CheckOptionArray();

}  // namespace jnichecks
