// The one object of the launcher process: every setting, handle and result of
// the launch, and the three calls that make it (Initialise, Run, Shutdown).
#pragma once

#include <windows.h>

#include <jni.h>

#include <memory>
#include <string>
#include <vector>

#include "common/win_handles.h"
#include "config/settings_catalogue.h"
#include "runtime/version_number.h"

namespace splash {
class SplashWindow;
}

namespace launcher {

// Receiver of the virtual machine's exit and abort hooks.
class VmHookObserver {
 public:
  virtual ~VmHookObserver() = default;
  virtual void Exit(jint code) = 0;
  virtual void Abort() = 0;
};

using CreateJavaVmFn = jint(JNICALL*)(JavaVM**, void**, void*);
using GetDefaultJavaVmInitArgsFn = jint(JNICALL*)(void*);
using SplashCloseFn = void (*)();

class Launcher {
 public:
  Launcher();
  ~Launcher();
  Launcher(const Launcher&) = delete;
  Launcher& operator=(const Launcher&) = delete;

  // The launcher of this process, while it exists (the VM hooks reach it so).
  static Launcher* Current();

  bool Initialise();
  int Run();
  void Shutdown();

  // Stages, in the order the launch calls them.
  void SplitCommandLine();
  bool ReadSettings();
  bool SetUpSingleInstance();
  void OverrideWorkingDirectory();
  bool ChooseRuntime();
  // Marks the chosen runtime as a 32-bit one when a paired product can run it.
  void CheckPairedRuntime();
  bool AskForMissingRuntime();
  void WriteBackJrePath(const std::wstring& folder);
  int StartPairedProduct();
  int WaitForPrimary();
  bool PrepareEnvironment();
  bool StartSplash();
  bool StartRuntimeSplash(const std::wstring& libraryPath, const std::wstring& imagePath);
  bool LoadVmLibrary(const std::wstring& path);
  bool BuildVmOptions();
  DWORD StartJavaThread();
  void CloseSplashWindow();
  static DWORD WINAPI SplashThreadMain(LPVOID launcher);

  // The Java thread and what runs on it.
  static DWORD WINAPI JavaThreadMain(LPVOID launcher);
  SIZE_T DefaultJavaStackSize();
  bool CreateVm();
  // The Java thread's exit code: 0, 1 after an uncaught exception in a console
  // program, or kJavaThreadFailed.
  DWORD InvokeMain();
  static constexpr DWORD kJavaThreadFailed = 0xFFFFFFFF;
  // The "Java Exception" dialog for a throwable that escaped main; true when
  // the application is to be stopped.
  bool ShowJavaExceptionDialog(JNIEnv* env, jthrowable throwable);
  void ExitJava(JNIEnv* env);
  // Hooks handed to the virtual machine; they forward to vmHookObserver.
  static void JNICALL VmExitHook(jint code);
  static void JNICALL VmAbortHook();

  // Fields: see the data model of the launch sequence.
  VmHookObserver* vmHookObserver = nullptr;
  win::Handle splashThread;
  DWORD splashThreadId = 0;
  // Set by the splash thread once its window is shown (or could not be made).
  win::Handle splashReady;
  std::wstring splashImagePath;
  std::wstring splashShadow;
  config::JvmType jvmType = config::JvmType::Any;
  std::wstring jvmLibraryPath;
  JavaVM* javaVm = nullptr;
  JNIEnv* mainEnv = nullptr;
  std::wstring mainClass;
  runtime::VersionNumber minimumVersion;
  runtime::VersionNumber maximumVersion;
  std::vector<std::wstring> arguments;
  std::unique_ptr<splash::SplashWindow> splashWindow;
  HWND splashWindowHandle = nullptr;
  bool isService = false;
  bool searchJdk = false;
  bool searchJre = false;
  bool favorMode = true;
  bool allowJRockit = false, allowSun = true, allowIbm = false;
  bool favorJRockit = false, favorSun = true, favorIbm = false;
  std::wstring productName, productCode, upgradeCode;
  std::vector<std::string> vmOptions;
  std::vector<std::wstring> preferredVersions;
  std::wstring jrePath;
  std::wstring libraryPathSetting;
  win::MappedView instanceBlock;
  win::Handle instanceMapping;
  win::Handle listenerThread;
  // Set by the listener once it has copied a secondary's arguments.
  win::Handle handOverCopiedEvent;
  bool isPrimaryInstance = false;
  bool singleInstance = false;
  std::wstring outputFile, errorFile;
  std::wstring systemPathSetting;
  std::wstring extraArguments;
  std::wstring pairProduct;
  bool returnPairExitCode = false;
  bool failureCheck = false;
  bool overrideWorkingDir = false;
  SIZE_T javaThreadStackSize = 0;
  SplashCloseFn runtimeSplashClose = nullptr;
  win::Handle mainStartedEvent;
  bool runtimeIs32Bit = false;
  // Where today's runtimes register and install is searched after the
  // classic sources ("Search Installed Runtimes" is not "No").
  bool searchInstalledRuntimes = true;
  CreateJavaVmFn createJavaVm = nullptr;
  GetDefaultJavaVmInitArgsFn getDefaultJavaVmInitArgs = nullptr;
};

}  // namespace launcher
