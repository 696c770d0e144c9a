// The launch: its named parts of state, each filled by one stage, and the
// sequence of stages that the process entry runs (Initialise, Run, Shutdown).
// A stage reads the parts it is given as const and fills its own part; the
// window that owns message boxes is passed where a splash may be showing.
#pragma once

#include <windows.h>

#include <jni.h>

#include <memory>
#include <string>
#include <vector>

#include "common/win_handles.h"
#include "config/settings_catalogue.h"
#include "instance/restart.h"
#include "instance/single_instance.h"
#include "jvm/java_calls.h"
#include "jvm/startup_cache_win.h"
#include "runtime/runtime_rules.h"

namespace splash {
class SplashWindow;
}

namespace launcher {

// Receiver of the virtual machine's exit and abort hooks, and of main's start
// (the service host: the manager then hears that the service runs).
class VmHookObserver {
 public:
  virtual void Exit(jint code) = 0;
  virtual void Abort() = 0;
  virtual void MainStarted() {}

 protected:
  // Never deleted through this interface: no virtual destructor to carry.
  ~VmHookObserver() = default;
};

using SplashCloseFn = void (*)();

// The settings of the launch. Filled once by ReadSettings, then read-only for
// every later stage.
struct LaunchSettings {
  // Every field from the settings files; false once the user has been told
  // why the launch cannot go on.
  bool ReadSettings();
  // Keeps a runtime the user chose as "JRE Path" for the next start (after ReadSettings).
  void WriteBackJrePath(const std::wstring& folder) const;

  // This program and the settings file named after it.
  std::wstring executablePath, settingsFile;
  std::wstring productName, productCode, upgradeCode;
  bool isService = false;
  // Slashes for dots; empty with a main module whose descriptor names the class.
  std::wstring mainClass;
  std::wstring mainModule;  // "Main Module" without its class
  // "JRE Path", the version bounds and the type, source and provider rules:
  // what the runtime search reads, kept in its own form.
  runtime::RuntimeSettings search;
  // Where today's runtimes register and install is searched after the
  // classic sources ("Search Installed Runtimes" is not "No").
  bool searchInstalledRuntimes = true;
  bool failureCheck = false;
  bool overrideWorkingDir = false;
  std::wstring systemPathSetting;
  std::wstring libraryPathSetting;
  std::wstring pairProduct;
  bool returnPairExitCode = false;
  // What the missing-runtime dialog's link opens ("Download URL", or the default).
  std::wstring downloadAddress;
  // "Restart Code", and "Update Folder" below the executable's folder.
  std::optional<std::int32_t> restartCode;
  std::wstring updateFolder;
};

// The runtime choice: the jvm.dll this launch loads. Filled by ChooseRuntime,
// or by AskForMissingRuntime when no source yields one.
struct ChosenRuntime {
  bool ChooseRuntime(const LaunchSettings& settings);
  // The "JRE Not Found" dialog; the folder the user chose is written back.
  bool AskForMissingRuntime(const LaunchSettings& settings);
  // Marks the chosen runtime as a 32-bit one when a paired product can run it.
  void CheckPairedRuntime(const std::wstring& pairProduct);

  std::wstring jvmLibraryPath;
  // The chosen runtime is a 32-bit one: the paired product runs it instead.
  bool runByPairedProduct = false;
};

// The splash state: the own window's thread and window, or the runtime
// library's close function. Filled by StartSplash and the splash thread.
struct SplashState {
  SplashState();
  ~SplashState();

  // The "Display" settings of `settingsFile` and the route: the
  // splashscreen.dll of the runtime of `jvmLibraryPath`, or the own window.
  // False without a settings file.
  bool StartSplash(const std::wstring& settingsFile, const std::wstring& jvmLibraryPath);
  bool StartRuntimeSplash(const std::wstring& libraryPath, const std::wstring& imagePath);
  static DWORD WINAPI SplashThreadMain(LPVOID splashState);
  void CloseSplashWindow();
  void CloseRuntimeSplash();

  win::Handle splashThread;
  DWORD splashThreadId = 0;
  // Set by the splash thread once its window is shown (or could not be made).
  win::Handle splashReady;
  std::wstring splashImagePath;
  std::wstring splashShadow;
  std::unique_ptr<splash::SplashWindow> splashWindow;
  // Owner of the message boxes while the window is up.
  HWND splashWindowHandle = nullptr;
  SplashCloseFn runtimeSplashClose = nullptr;
};

// The VM session: the runtime's entry points, the options, the Java thread's
// stack size, the VM and the environment of the thread that created it.
// Filled by the VM stages in the order Run calls them.
struct VmSession {
  // The runtime's variables, its bin folder on Path, the "Library Path" option.
  bool PrepareEnvironment(const LaunchSettings& settings, const std::wstring& jvmLibraryPath);
  bool LoadVmLibrary(const std::wstring& path, HWND owner);
  // The class path, the startup cache of the runtime of `jvmLibraryPath`,
  // "Virtual Machine Parameters", the output and error files, and the "Cmd"
  // arguments, which are added to `arguments`.
  bool BuildVmOptions(const LaunchSettings& settings, const std::wstring& jvmLibraryPath, HWND owner,
                      std::vector<std::wstring>& arguments);
  // On the Java thread: the VM and its standard streams.
  bool CreateVm(HWND owner);
  SIZE_T DefaultJavaStackSize() const;

  jvm::CreateJavaVmFn createJavaVm = nullptr;
  jvm::GetDefaultJavaVmInitArgsFn getDefaultJavaVmInitArgs = nullptr;
  std::vector<std::string> vmOptions;
  SIZE_T javaThreadStackSize = 0;
  std::wstring outputFile, errorFile;
  std::wstring extraArguments;
  JavaVM* javaVm = nullptr;
  JNIEnv* mainEnv = nullptr;
  // Receives the hooks (Launcher::VmExitHook, VmAbortHook) and main's start;
  // none by default (the service host while this launch runs as a service).
  VmHookObserver* vmHookObserver = nullptr;
  // The startup cache the runtime maps or writes, finished when it has ended.
  jvm::StartupCache startupCache;
};

class Launcher {
 public:
  Launcher();
  ~Launcher();
  Launcher(const Launcher&) = delete;
  Launcher& operator=(const Launcher&) = delete;

  // The launcher of this process, while it exists: the VM hooks reach it so.
  static Launcher* Current();

  // Reads the settings, settles the single-instance role, chooses a runtime.
  bool Initialise();
  // Hands over, or starts the VM and runs main; the process exit code.
  int Run();
  void Shutdown();

  // The stages that are the launcher's own, in the order the launch calls them.
  void SplitCommandLine();
  // The folder of `executablePath` becomes the current one.
  static void OverrideWorkingDirectory(const std::wstring& executablePath);
  // Applies a staged update; starts the launcher again when the update
  // replaced it or its settings file (updatedLauncher).
  void ApplyUpdate();
  // The application ended with `code`: when that is its "Restart Code" and
  // the bound allows, the executable is started again; true then.
  bool RestartApplication(int code);
  // Runs JavaThreadMain on a thread with the session's stack size.
  DWORD StartJavaThread();
  // Creates the VM (vmSession) and calls main with the settings and arguments;
  // the splash and instance state hear that main starts.
  static DWORD WINAPI JavaThreadMain(LPVOID launcher);
  // The Java thread's exit code: 0, 1 after an uncaught exception (as the java
  // command ends; 0 when the user chose Ignore in the dialog), or
  // exitcode::kLaunchFailedCode.
  DWORD InvokeMain();
  // Hooks handed to the virtual machine; they forward to vmSession.vmHookObserver.
  static void JNICALL VmExitHook(jint code);
  static void JNICALL VmAbortHook();

  // The parts, in the order they are filled.
  // The application's arguments: the command line's, then the "Cmd" ones.
  std::vector<std::wstring> arguments;
  LaunchSettings settings;
  instance::InstanceState instanceState;
  ChosenRuntime chosenRuntime;
  SplashState splashState;
  VmSession vmSession;
  instance::Restart restart;
  // The launcher started again after an update replaced it: Run waits for it.
  win::Handle updatedLauncher;
  bool mainCalled = false;
};

}  // namespace launcher
