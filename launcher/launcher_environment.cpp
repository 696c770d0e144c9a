// The environment stage of the launch: the runtime's variables, Path and DLL
// search, the library path option, and the runtime library itself.
#include <windows.h>

#include "common/expansion.h"
#include "common/text_win.h"
#include "jvm/vm_option_text_win.h"
#include "jvm/vm_options.h"
#include "jvm/vm_output.h"
#include "jvm/vm_start_output_win.h"
#include "launcher/launcher.h"
#include "report/error_report.h"
#include "report/message_ids.h"
#include "runtime/pe_image.h"
#include "runtime/runtime_rules.h"

namespace launcher {

bool VmSession::PrepareEnvironment(const LaunchSettings& settings, const std::wstring& jvmLibraryPath) {
  const std::wstring runtimeHome = jvm::RuntimeHome(jvmLibraryPath);
  SetEnvironmentVariableW(L"VORN_JVM_PATH", jvmLibraryPath.c_str());
  SetEnvironmentVariableW(L"VORN_JVM_HOME", runtimeHome.c_str());

  // The process's Path as it is before the runtime's bin folder joins it.
  const std::wstring oldPath = text::GetEnvironment(L"Path");
  const std::wstring binFolder = jvm::RuntimeBinFolder(jvmLibraryPath);
  if (!settings.libraryPathSetting.empty()) {
    const std::wstring libraryPath = jvm::ComposeLibraryPath(text::ExpandEnvironment(settings.libraryPathSetting),
                                                             jvm::FolderWithSlash(settings.executablePath), oldPath,
                                                             runtimeHome);
    vmOptions.push_back(jvm::VmOptionText(L"-Djava.library.path=" + libraryPath));
  }

  // The runtime's bin folder must be on Path for its own DLLs: a Path too long
  // for the environment is refused rather than cut.
  const std::wstring path =
      jvm::ComposeNewPath(text::ExpandEnvironment(settings.systemPathSetting), oldPath, binFolder);
  if (path.size() > text::kLongestVariableValue) {
    report::ReportError(nullptr, IDS_PATH_TOO_LONG, std::wstring(), static_cast<std::int32_t>(path.size()));
    return false;
  }
  SetEnvironmentVariableW(L"Path", path.c_str());
  // The runtime's own DLLs come from its bin folder first, as for its java
  // command, which lives there; and what is loaded by name is never looked
  // for in the current folder, which this takes out of the search.
  SetDllDirectoryW(binFolder.c_str());
  return true;
}

bool VmSession::LoadVmLibrary(const std::wstring& path, HWND owner) {
  // Before the runtime's C runtime takes its standard handles.
  jvm::HoldMissingStandardHandles();
  // Loaded for the life of the process, never freed.
  HMODULE library = LoadLibraryW(path.c_str());
  if (library == nullptr) {
    DWORD error = GetLastError();
    // "(errno = 193)" says nothing to a user whose runtime is a 32-bit one.
    const std::optional<std::uint16_t> machine =
        error == ERROR_BAD_EXE_FORMAT ? runtime::ReadImageMachine(path) : std::nullopt;
    if (machine && *machine != runtime::kProcessMachine) {
      report::ReportError(owner, IDS_RUNTIME_WRONG_MACHINE, path,
                          runtime::MachineName(*machine) + (*machine == runtime::kMachineI386 ? L" (32-bit)" : L""));
    } else {
      report::ReportError(owner, IDS_LOAD_VM_LIBRARY_FAILED, path, static_cast<std::int32_t>(error));
    }
    return false;
  }
  auto create = reinterpret_cast<jvm::CreateJavaVmFn>(GetProcAddress(library, "JNI_CreateJavaVM"));
  DWORD error = create == nullptr ? GetLastError() : 0;
  auto defaults = reinterpret_cast<jvm::GetDefaultJavaVmInitArgsFn>(GetProcAddress(library, "JNI_GetDefaultJavaVMInitArgs"));
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

}  // namespace launcher
