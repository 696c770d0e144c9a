// The virtual machine stages of the launch: environment, library, options,
// creation, the Java thread and the call of main.
#include <windows.h>

#include <limits>

#include "common/expansion.h"
#include "common/folders.h"
#include "common/path_text.h"
#include "common/splitting.h"
#include "common/text.h"
#include "common/text_win.h"
#include "common/win_handles.h"
#include "config/settings_catalogue.h"
#include "config/settings_keys.h"
#include "config/settings_paths.h"
#include "config/settings_store.h"
#include "jvm/ansi_paths.h"
#include "jvm/java_calls.h"
#include "jvm/module_options.h"
#include "jvm/startup_cache_win.h"
#include "jvm/user_vm_options_win.h"
#include "jvm/vm_options.h"
#include "jvm/vm_output.h"
#include "launcher/launcher.h"
#include "report/console_mode.h"
#include "report/diagnostics_log.h"
#include "report/error_report.h"
#include "report/message_ids.h"

namespace launcher {

namespace keys = config::keys;

namespace {

// The names FindFirstFileW/FindNextFileW give for a pattern, in their order.
std::vector<std::wstring> ListMatches(const std::wstring& pattern) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW data;
  win::FindHandle find(FindFirstFileW(pattern.c_str(), &data));
  if (!find) return names;
  do {
    names.emplace_back(data.cFileName);
  } while (FindNextFileW(find.get(), &data));
  return names;
}

void MakeParentFolders(const std::wstring& path) { folders::CreateParentFolders(path); }

// Both names lead to the same file (letter case does not count on Windows).
bool SameFile(const std::wstring& a, const std::wstring& b) {
  if (a.empty() || b.empty()) return false;
  const std::wstring fullA = text::FullPath(a), fullB = text::FullPath(b);
  return CompareStringOrdinal(fullA.c_str(), static_cast<int>(fullA.size()), fullB.c_str(),
                              static_cast<int>(fullB.size()), TRUE) == CSTR_EQUAL;
}

// A path list option as the ANSI code page can carry it.
std::wstring AnsiSafe(const std::wstring& option) {
  return jvm::AnsiSafeOption(option, text::ConvertsToThreadAnsi, text::ShortPathName);
}

// What the VM said on its standard error, the last of it.
std::wstring VmWords() { return text::Trim(text::FromThreadAnsi(jvm::VmOutputTail())); }

// The launcher's side of the main invocation: message boxes, the event, the
// splash window and the exception dialog.
class LauncherInvocationHost : public jvm::MainInvocationHost {
 public:
  explicit LauncherInvocationHost(Launcher& launcher) : launcher_(launcher) {}

  void ReportMainClassUnusable(const std::wstring& mainClass) override {
    report::ReportError(launcher_.splashState.splashWindowHandle, IDS_LOAD_MAIN_CLASS_FAILED, mainClass);
  }
  void ReportMainClassNotFound(const std::wstring& name) override {
    report::ReportError(launcher_.splashState.splashWindowHandle, IDS_MAIN_CLASS_NOT_FOUND, name);
  }
  void ReportNoMainMethod() override {
    report::ShowMessage(launcher_.splashState.splashWindowHandle, IDS_NO_MAIN_METHOD);
  }
  void ReportNoMainClass() override { report::ShowMessage(launcher_.splashState.splashWindowHandle, IDS_NO_MAIN_CLASS); }
  void MainAboutToRun() override {
    launcher_.vmSession.startupCache.mainRan = true;
    launcher_.instanceState.MainStarted(launcher_.vmSession.javaVm);
  }
  void CloseSplash() override { launcher_.splashState.CloseSplashWindow(); }
  jvm::ExceptionAnswer ShowExceptionDialog(JNIEnv* env, jthrowable throwable) override {
    return ShowJavaExceptionDialog(env, throwable);
  }

 private:
  Launcher& launcher_;
};

}  // namespace

bool VmSession::PrepareEnvironment(const LaunchSettings& settings, const std::wstring& jvmLibraryPath) {
  const std::wstring runtimeHome = jvm::RuntimeHome(jvmLibraryPath);
  SetEnvironmentVariableW(L"VORN_JVM_PATH", jvmLibraryPath.c_str());
  SetEnvironmentVariableW(L"VORN_JVM_HOME", runtimeHome.c_str());

  // No splash is up yet: boxes have no owner.
  if (!settings.libraryPathSetting.empty()) {
    std::wstring exeFolder;
    if (auto exe = config::GetExecutablePath(nullptr)) exeFolder = jvm::FolderWithSlash(*exe);
    std::wstring libraryPath = jvm::ComposeLibraryPath(settings.libraryPathSetting, exeFolder, runtimeHome);
    vmOptions.push_back(text::ToThreadAnsi(AnsiSafe(L"-Djava.library.path=" + text::ExpandEnvironment(libraryPath))));
  }

  // The runtime's bin folder must be on Path for its own DLLs: a Path too long
  // for the environment is refused rather than cut.
  const std::wstring path = jvm::ComposeNewPath(text::ExpandEnvironment(settings.systemPathSetting),
                                                text::GetEnvironment(L"Path"), jvm::RuntimeBinFolder(jvmLibraryPath));
  if (path.size() > text::kLongestVariableValue) {
    report::ReportError(nullptr, IDS_PATH_TOO_LONG, std::wstring(), static_cast<std::int32_t>(path.size()));
    return false;
  }
  SetEnvironmentVariableW(L"Path", path.c_str());
  return true;
}

bool VmSession::LoadVmLibrary(const std::wstring& path, HWND owner) {
  // Loaded for the life of the process, never freed.
  HMODULE library = LoadLibraryW(path.c_str());
  if (library == nullptr) {
    DWORD error = GetLastError();
    report::ReportError(owner, IDS_LOAD_VM_LIBRARY_FAILED, path, static_cast<std::int32_t>(error));
    return false;
  }
  auto create = reinterpret_cast<CreateJavaVmFn>(GetProcAddress(library, "JNI_CreateJavaVM"));
  DWORD error = create == nullptr ? GetLastError() : 0;
  auto defaults = reinterpret_cast<GetDefaultJavaVmInitArgsFn>(GetProcAddress(library, "JNI_GetDefaultJavaVMInitArgs"));
  if (defaults == nullptr && error == 0) error = GetLastError();
  if (create == nullptr || defaults == nullptr) {
    report::ReportWindowsError(owner, IDS_NO_CREATE_JAVA_VM, error);
    return false;
  }
  createJavaVm = create;
  getDefaultJavaVmInitArgs = defaults;
  jvm::UseRuntimeStreamsOf(library);
  return true;
}

bool VmSession::BuildVmOptions(const LaunchSettings& settings, const std::wstring& jvmLibraryPath, HWND owner,
                               std::vector<std::wstring>& arguments) {
  auto exe = config::GetExecutablePath(owner);
  if (!exe) return false;
  auto settingsPath = config::SettingsPathFor(*exe);
  if (!settingsPath) return false;
  config::SettingsStore store;
  store.Open(*settingsPath, config::EmbeddedSettingsText(settings.upgradeCode));

  const std::wstring exeFolder = jvm::FolderWithSlash(*exe);
  std::wstring classPath =
      jvm::ComposeClassPath(store.Lookup(keys::kClassPathSection, keys::kClassPath), exeFolder, ListMatches);
  if (config::IsYes(store.Lookup(keys::kApplication, keys::kEmbeddedJar))) {
    jvm::AppendEmbeddedJar(classPath, *exe);
  }
  const std::wstring modulePath = jvm::ComposeModulePath(
      store.Lookup(keys::kClassPathSection, keys::kModulePath), exeFolder,
      [](const std::wstring& path) { return win::PathFound(text::LongPathForm(path).c_str()); }, text::ExpandEnvironment);
  // A modular application needs no class path.
  if (classPath.empty() && modulePath.empty() && settings.mainModule.empty()) {
    report::ShowMessage(owner, IDS_NO_CLASS_PATH);
    return false;
  }

  MEMORYSTATUS status{};
  status.dwLength = sizeof status;
  GlobalMemoryStatus(&status);
  const jvm::MemoryFigures memory{static_cast<std::uint64_t>(status.dwTotalPhys),
                                  static_cast<std::uint64_t>(status.dwAvailVirtual)};
  std::uint64_t stackSize = javaThreadStackSize;
  std::vector<std::wstring> texts =
      jvm::ComposeVmOptionTexts(classPath, modulePath, settings.mainModule,
                                store.Lookup(keys::kJavaRuntime, keys::kVirtualMachineParameters), memory, stackSize);
  // The user's own options follow the developer's, so the last -Xmx is the user's.
  jvm::AddUserVmOptions(texts, memory, stackSize, store.Lookup(keys::kJavaRuntime, keys::kUserVmOptions),
                        settings.isService, *exe, settings.productName, settings.productCode);
  // Expanded before the startup cache, whose file's name hashes them as the VM gets them.
  for (std::wstring& option : texts) option = text::ExpandEnvironment(option);
  if (config::IsYes(store.Lookup(keys::kJavaRuntime, keys::kStartupCache))) {
    jvm::AddStartupCache(texts, {*exe, settings.productName, settings.productCode, jvmLibraryPath, classPath, modulePath},
                         startupCache);
  }
  javaThreadStackSize = stackSize > std::numeric_limits<SIZE_T>::max() ? std::numeric_limits<SIZE_T>::max()
                                                                       : static_cast<SIZE_T>(stackSize);
  bool namesCommand = false;
  for (const std::wstring& option : texts) {
    namesCommand = namesCommand || jvm::SetsSunJavaCommand(option);
    vmOptions.push_back(text::ToThreadAnsi(AnsiSafe(option)));
  }

  outputFile = text::ExpandEnvironment(store.Lookup(keys::kApplication, keys::kOutputFile));
  errorFile = text::ExpandEnvironment(store.Lookup(keys::kApplication, keys::kErrorFile));
  // A path the system cannot use is refused before any folder is made for it.
  for (const auto& [key, file] : {std::pair{keys::kOutputFile, &outputFile}, std::pair{keys::kErrorFile, &errorFile}}) {
    if (file->size() > text::kLongestPath) {
      report::ReportError(owner, IDS_FILE_PATH_TOO_LONG, key, static_cast<std::int32_t>(file->size()));
      return false;
    }
  }

  extraArguments = store.Lookup(keys::kApplication, keys::kCmd);
  if (!extraArguments.empty()) {
    extraArguments = text::ExpandEnvironment(extraArguments);
    std::vector<std::wstring> pieces;
    text::SplitArguments(extraArguments, pieces);
    for (std::wstring& piece : pieces) {
      if (!piece.empty()) arguments.push_back(std::move(piece));
    }
  }
  // What jps and jcmd show for the process, as the java command sets it.
  if (!namesCommand) {
    vmOptions.push_back(
        text::ToThreadAnsi(jvm::SunJavaCommandOption(settings.mainClass, settings.mainModule, arguments)));
  }

  if (diag::Enabled()) {
    for (const std::string& option : vmOptions) diag::Log({L"VM option ", text::FromThreadAnsi(option)});
  }
  return true;
}

void JNICALL Launcher::VmExitHook(jint code) {
  Launcher* launcher = Current();
  // The runtime has written its archive by now; the process ends after this hook.
  if (launcher != nullptr) jvm::EndStartupCache(launcher->vmSession.startupCache, false, code);
  VmHookObserver* observer = launcher != nullptr ? launcher->vmSession.vmHookObserver : nullptr;
  if (observer != nullptr) observer->Exit(code);
}

void JNICALL Launcher::VmAbortHook() {
  Launcher* launcher = Current();
  if (launcher != nullptr) jvm::EndStartupCache(launcher->vmSession.startupCache, true, 1);
  VmHookObserver* observer = launcher != nullptr ? launcher->vmSession.vmHookObserver : nullptr;
  if (observer != nullptr) {
    observer->Abort();
    return;
  }
  // The VM ends the process once this returns: what it said so far is shown first.
  report::ReportError(launcher != nullptr ? launcher->splashState.splashWindowHandle : nullptr, IDS_VM_ABORTED,
                      VmWords());
}

bool VmSession::CreateVm(HWND owner) {
  jint result = -1;
  if (createJavaVm != nullptr) {
    result = jvm::CreateJavaVmWith(createJavaVm, vmOptions, &Launcher::VmAbortHook, &Launcher::VmExitHook, &javaVm,
                                   &mainEnv);
  }
  // A runtime that reports success without handing out its VM has failed.
  if (result == JNI_OK && (javaVm == nullptr || mainEnv == nullptr)) result = JNI_ERR;
  if (result != JNI_OK) {
    jvm::RefuseStartupCache(startupCache, L"the VM was not created");
    javaVm = nullptr;
    mainEnv = nullptr;
    const unsigned reasonId = jvm::CreationFailureReasonId(result);
    report::ReportError(owner, IDS_JNI_ERROR_REASON, report::LoadMessage(IDS_CREATE_VM_FAILED),
                        reasonId != 0 ? report::LoadMessage(reasonId) : std::wstring(), VmWords());
    return false;
  }
  // A failed redirection has been described by the virtual machine; the
  // launch goes on with the stream where it was.
  // One file for both: one stream, so neither overwrites the other's output.
  if (!outputFile.empty() && SameFile(outputFile, errorFile)) {
    jvm::RedirectBothStandardStreams(mainEnv, outputFile, MakeParentFolders);
    return true;
  }
  for (const auto& [file, setter] : {std::pair{&outputFile, "setOut"}, std::pair{&errorFile, "setErr"}}) {
    if (!file->empty()) jvm::RedirectStandardStream(mainEnv, *file, setter, MakeParentFolders);
  }
  return true;
}

SIZE_T VmSession::DefaultJavaStackSize() const { return jvm::DefaultStackSizeFrom(getDefaultJavaVmInitArgs); }

DWORD Launcher::StartJavaThread() {
  SIZE_T& javaThreadStackSize = vmSession.javaThreadStackSize;
  if (javaThreadStackSize == 0) javaThreadStackSize = vmSession.DefaultJavaStackSize();
  if (diag::Enabled()) diag::Log({L"Java thread stack size ", text::DecimalText(std::uint64_t{javaThreadStackSize})});
  // The size is the stack's reservation, as the runtimes' own launchers pass
  // it: a commit would take all of a large stack up front, and could not make
  // one smaller than the executable's default.
  win::Handle thread(CreateThread(nullptr, javaThreadStackSize, &Launcher::JavaThreadMain, this,
                                  STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
  if (!thread) return JavaThreadMain(this);
  WaitForSingleObject(thread.get(), INFINITE);
  DWORD code = kJavaThreadFailed;
  if (!GetExitCodeThread(thread.get(), &code)) code = kJavaThreadFailed;
  return code;
}

DWORD WINAPI Launcher::JavaThreadMain(LPVOID param) {
  auto* launcher = static_cast<Launcher*>(param);
  if (launcher == nullptr || !launcher->vmSession.CreateVm(launcher->splashState.splashWindowHandle)) {
    return kJavaThreadFailed;
  }
  return launcher->InvokeMain();
}

DWORD Launcher::InvokeMain() {
  LauncherInvocationHost host(*this);
  // A main module alone runs the main class its descriptor names.
  const std::wstring mainClass = settings.mainClass.empty()
                                     ? jvm::DescriptorMainClass(vmSession.mainEnv, settings.mainModule)
                                     : settings.mainClass;
  const jvm::MainOutcome outcome = jvm::CallMain(vmSession.mainEnv, mainClass, arguments, settings.failureCheck, host);
  if (outcome != jvm::kMainNotCalled && (settings.search.allowIbm || settings.search.favorIbm)) {
    // This thread stays attached for good; the application ends the process.
    for (;;) Sleep(INFINITE);
  }
  // Detached on failure too: a thread that ends attached would keep
  // DestroyJavaVM waiting for ever in the teardown.
  const jint detached = vmSession.javaVm->DetachCurrentThread();
  if (outcome == jvm::kMainNotCalled || detached != 0) return kJavaThreadFailed;
  // As the java command: an exception that escaped main ends the run with 1.
  return outcome == jvm::kMainThrew ? 1 : 0;
}

}  // namespace launcher
