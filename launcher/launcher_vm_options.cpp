// The VM stages of the launch: its options from the settings, and its creation
// with the standard streams it is to use.
#include <windows.h>

#include <limits>

#include "common/expansion.h"
#include "common/folders.h"
#include "common/found_files_win.h"
#include "common/path_text.h"
#include "common/splitting.h"
#include "common/text_win.h"
#include "common/win_handles.h"
#include "config/settings_catalogue.h"
#include "config/settings_keys.h"
#include "config/settings_paths.h"
#include "config/settings_store.h"
#include "jvm/java_calls.h"
#include "jvm/module_options.h"
#include "jvm/startup_cache_win.h"
#include "jvm/user_vm_options_win.h"
#include "jvm/vm_option_text_win.h"
#include "jvm/vm_options.h"
#include "jvm/vm_output.h"
#include "jvm/vm_start_output_win.h"
#include "launcher/launcher.h"
#include "report/diagnostics_log.h"
#include "report/error_report.h"
#include "report/message_ids.h"

namespace launcher {

namespace keys = config::keys;

namespace {

// The names FindFirstFileW/FindNextFileW give for a pattern, in their order.
std::vector<std::wstring> ListMatches(const std::wstring& pattern) {
  std::vector<std::wstring> names;
  for (win::FoundFiles found(pattern.c_str()); found.Next();) names.emplace_back(found.name());
  if (names.empty()) diag::Log({"class path entry ", pattern, " dropped: nothing there"});
  return names;
}

// Both names lead to the same file (letter case does not count on Windows).
bool SameFile(const std::wstring& a, const std::wstring& b) {
  if (a.empty() || b.empty()) return false;
  const std::wstring fullA = text::FullPath(a), fullB = text::FullPath(b);
  return CompareStringOrdinal(fullA.c_str(), static_cast<int>(fullA.size()), fullB.c_str(),
                              static_cast<int>(fullB.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace

bool VmSession::BuildVmOptions(const LaunchSettings& settings, const std::wstring& jvmLibraryPath, HWND owner,
                               std::vector<std::wstring>& arguments) {
  const std::wstring& exe = settings.executablePath;
  config::SettingsStore store;
  store.Open(settings.settingsFile, config::EmbeddedSettingsText(settings.upgradeCode));

  const std::wstring exeFolder = jvm::FolderWithSlash(exe);
  std::wstring classPath =
      jvm::ComposeClassPath(store.Lookup(keys::kClassPathSection, keys::kClassPath), exeFolder, ListMatches);
  if (config::IsYes(store.Lookup(keys::kApplication, keys::kEmbeddedJar))) {
    jvm::AppendEmbeddedJar(classPath, exe);
  }
  const std::wstring modulePath = jvm::ComposeModulePath(
      store.Lookup(keys::kClassPathSection, keys::kModulePath), exeFolder,
      [](const std::wstring& path) { return win::PathFound(text::LongPathForm(path).c_str()); }, text::ExpandEnvironment);
  // A modular application needs no class path.
  if (classPath.empty() && modulePath.empty() && settings.mainModule.empty()) {
    report::ShowMessage(owner, IDS_NO_CLASS_PATH);
    return false;
  }

  classPath = jvm::ClassPathForVm(classPath, !settings.mainModule.empty(), exeFolder);

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
                        settings.isService, exe, settings.productName, settings.productCode);
  // Expanded before the startup cache, whose file's name hashes them as the VM gets them.
  for (std::wstring& option : texts) option = text::ExpandEnvironment(option);
  if (config::IsYes(store.Lookup(keys::kJavaRuntime, keys::kStartupCache))) {
    jvm::AddStartupCache(texts, {exe, settings.productName, settings.productCode, jvmLibraryPath, classPath, modulePath},
                         startupCache);
  }
  javaThreadStackSize = stackSize > std::numeric_limits<SIZE_T>::max() ? std::numeric_limits<SIZE_T>::max()
                                                                       : static_cast<SIZE_T>(stackSize);
  bool namesCommand = false;
  for (const std::wstring& option : texts) {
    namesCommand = namesCommand || jvm::SetsSunJavaCommand(option);
    vmOptions.push_back(jvm::VmOptionText(option));
  }

  outputFile = text::ExpandEnvironment(store.Lookup(keys::kApplication, keys::kOutputFile));
  errorFile = text::ExpandEnvironment(store.Lookup(keys::kApplication, keys::kErrorFile));
  // A path the system cannot use is refused before any folder is made for it.
  for (const auto& [key, file] : {std::pair{keys::kOutputFile, &outputFile}, std::pair{keys::kErrorFile, &errorFile}}) {
    if (file->size() > text::kLongestPath) {
      report::ReportError(owner, IDS_FILE_PATH_TOO_LONG, std::wstring(key), static_cast<std::int32_t>(file->size()));
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
    for (const std::string& option : vmOptions) diag::Log({"VM option ", text::FromThreadAnsi(option)});
  }
  return true;
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
                        reasonId != 0 ? report::LoadMessage(reasonId) : std::wstring(), jvm::VmWords());
    return false;
  }
  jvm::VmStarted();
  // A failed redirection has been described by the virtual machine; the
  // launch goes on with the stream where it was.
  // One file for both: one stream, so neither overwrites the other's output.
  if (!outputFile.empty() && SameFile(outputFile, errorFile)) {
    jvm::RedirectBothStandardStreams(mainEnv, outputFile, folders::CreateParentFolders);
    return true;
  }
  for (const auto& [file, setter] : {std::pair{&outputFile, "setOut"}, std::pair{&errorFile, "setErr"}}) {
    if (!file->empty()) jvm::RedirectStandardStream(mainEnv, *file, setter, folders::CreateParentFolders);
  }
  return true;
}

}  // namespace launcher
