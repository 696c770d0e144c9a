// The Java side of the launch, through the JNI environment of the calling
// thread: the option array with the two hooks, stream redirection, the call
// of the main class's "main", the stack-trace text and System.exit(-1).
// Platform-neutral; whatever needs the operating system's user interface comes
// in through MainInvocationHost.
#pragma once

#include <jni.h>

#include <cstddef>
#include <cstdint>

#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

namespace jvm {

using VmAbortHookFn = void(JNICALL*)();
using VmExitHookFn = void(JNICALL*)(jint code);
using CreateJavaVmFn = jint(JNICALL*)(JavaVM**, void**, void*);
using GetDefaultJavaVmInitArgsFn = jint(JNICALL*)(void*);

// The JDK 1.1 initialisation record, asked for the default Java stack size.
struct Jdk11InitArgs {
  jint version;
  char** properties;
  jint checkSource;
  jint nativeStackSize;
  jint javaStackSize;
  jint minHeapSize;
  jint maxHeapSize;
  jint verifyMode;
  char* classpath;
  jint(JNICALL* vfprintf)(FILE* fp, const char* format, va_list args);
  void(JNICALL* exit)(jint code);
  void(JNICALL* abort)();
  jint enableClassGC;
  jint enableVerboseGC;
  jint disableAsyncGC;
  jint verbose;
  jboolean debugging;
  jint debugPort;
};
// Its layout as the JDK 1.1 jni.h declared it, with x64 alignment.
static_assert(offsetof(Jdk11InitArgs, javaStackSize) == 24);
static_assert(offsetof(Jdk11InitArgs, classpath) == 40);
static_assert(offsetof(Jdk11InitArgs, abort) == 64);
static_assert(offsetof(Jdk11InitArgs, debugPort) == 92);

// The runtime's default Java stack size in bytes, or 0.
std::size_t DefaultStackSizeFrom(GetDefaultJavaVmInitArgsFn getDefaults);

// The options handed to JNI_CreateJavaVM: "vfprintf" with the hook of
// jvm/vm_output.h, every option string in order with no extra information,
// then "abort" with the abort hook and "exit" with the exit hook. The strings
// stay owned by the caller's list, which must outlive this.
class VmOptionArray {
 public:
  VmOptionArray(const std::vector<std::string>& vmOptions, VmAbortHookFn abortHook, VmExitHookFn exitHook);
  VmOptionArray(const VmOptionArray&) = delete;
  VmOptionArray& operator=(const VmOptionArray&) = delete;

  JavaVMInitArgs* initArgs() { return &args_; }
  const std::vector<JavaVMOption>& options() const { return options_; }

 private:
  std::vector<JavaVMOption> options_;
  JavaVMInitArgs args_{};
};

// Creates the virtual machine with the option array; the result of
// JNI_CreateJavaVM (0 on success).
jint CreateJavaVmWith(CreateJavaVmFn create, const std::vector<std::string>& vmOptions, VmAbortHookFn abortHook,
                      VmExitHookFn exitHook, JavaVM** vm, JNIEnv** env);

// The message id of the reason for a failed creation (225..230), or 0 for a
// result without a reason text.
unsigned CreationFailureReasonId(jint result);

// Points System.out ("setOut") or System.err ("setErr") at a new file.
// `createParentFolders` makes the folders on the way first (its result does
// not matter). A pending exception is described and counts as failure.
bool RedirectStandardStream(JNIEnv* env, const std::wstring& path, const char* setter,
                            std::uint32_t (*createParentFolders)(const std::wstring& path));

// Points System.out and System.err at one print stream over a new file: when
// both name the same file, two streams of their own would overwrite each
// other's output.
bool RedirectBothStandardStreams(JNIEnv* env, const std::wstring& path,
                                 std::uint32_t (*createParentFolders)(const std::wstring& path));

// The "Java Exception" dialog's outcome: not shown (a console program, or
// nothing to show), Ignore, or Stop (and every other way of closing it).
enum class ExceptionAnswer { kNotAsked, kGoOn, kStop };

// What the main invocation needs from the operating system's side.
class MainInvocationHost {
 public:
  // Why "main" is not called, as the message `id` of report/message_ids.h
  // says it, its "%s" filled with `name`: the main class name could not
  // become a Java string (IDS_LOAD_MAIN_CLASS_FAILED), FindClass failed
  // (IDS_MAIN_CLASS_NOT_FOUND), no static main and no pending exception to
  // describe (IDS_NO_MAIN_METHOD), or neither the settings nor the main
  // module name a class to run (IDS_NO_MAIN_CLASS, no name).
  virtual void ReportMainNotCalled(unsigned id, const std::wstring& name) = 0;
  // "main" is about to run (the main-started event is set).
  virtual void MainAboutToRun() = 0;
  // An exception escaped "main": the own splash window goes first.
  virtual void CloseSplash() = 0;
  // The "Java Exception" dialog and what the user answered.
  virtual ExceptionAnswer ShowExceptionDialog(JNIEnv* env, jthrowable throwable) = 0;

 protected:
  // Never deleted through this interface: no virtual destructor to carry.
  ~MainInvocationHost() = default;
};

// Whether "main" was called (nonzero), whether an exception escaped it, and
// whether the user then chose to go on in the "Java Exception" dialog.
enum MainOutcome : int { kMainNotCalled = 0, kMainReturned = 1, kMainThrew = 2, kMainThrewUserWentOn = 3 };

// Finds `mainClass` (slashes, not dots), calls its static main(String[]) with
// the arguments, and handles an exception that escapes it: described, splash
// closed, and with `failureCheck` the dialog, whose Stop calls ExitJava.
// A class without "main" that extends javafx.application.Application is run
// as the java command runs it: Application.launch(class, arguments) in place
// of "main".
MainOutcome CallMain(JNIEnv* env, const std::wstring& mainClass, const std::vector<std::wstring>& arguments,
                     bool failureCheck, MainInvocationHost& host);

// The main class the descriptor of a module of the boot layer names (as
// "java -m module" runs it), with slashes; empty when there is none. Any
// exception on the way is described.
std::wstring DescriptorMainClass(JNIEnv* env, const std::wstring& module);

// java.lang.System.exit(-1); should it return, a pending exception is described.
void ExitJava(JNIEnv* env);

// The text printStackTrace writes for the throwable, or empty.
std::wstring StackTraceText(JNIEnv* env, jthrowable throwable);

}  // namespace jvm
