// Single-instance mode: who is the primary, the secondary's wait for its
// answer, and the end of the primary's listener.
#include "instance/single_instance.h"

#include <utility>

#include "common/text.h"
#include "config/settings_catalogue.h"
#include "config/settings_keys.h"
#include "config/settings_paths.h"
#include "config/settings_store.h"
#include "instance/hand_over.h"
#include "instance/instance_block.h"
#include "report/diagnostics_log.h"
#include "report/error_report.h"
#include "report/message_ids.h"

namespace instance {

namespace keys = config::keys;

namespace {

std::uint8_t* BlockBytes(const win::MappedView& view) { return static_cast<std::uint8_t*>(view.get()); }

// Single-instance mode off, and the shared block let go.
void Release(InstanceState& state) {
  state.singleInstance = false;
  state.instanceBlock.reset();
  state.instanceMapping.reset();
  state.handOverCopiedEvent.reset();
}

}  // namespace

bool InstanceState::SetUpSingleInstance(const std::wstring& executablePath, const std::wstring& settingsFile,
                                        const std::wstring& upgradeCode, bool isService,
                                        const std::vector<std::wstring>& arguments, PrimaryMain primary) {
  primaryMain = std::move(primary);
  if (isService) return true;
  config::SettingsStore store;
  store.Open(settingsFile, config::EmbeddedSettingsText(upgradeCode));
  if (!config::IsSingleInstanceOn(store.Lookup(keys::kApplication, keys::kSingleInstance))) return true;
  singleInstance = true;

  const std::wstring name = instance::InstanceName(executablePath);
  SetLastError(0);
  instanceMapping.reset(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                           static_cast<DWORD>(instance::kBlockSize), name.c_str()));
  isPrimaryInstance = GetLastError() != ERROR_ALREADY_EXISTS;
  if (instanceMapping) instanceBlock.reset(MapViewOfFile(instanceMapping.get(), FILE_MAP_WRITE, 0, 0, 0));
  if (!instanceBlock) {
    Release(*this);  // runs as an ordinary launch
    return true;
  }
  std::uint8_t* block = BlockBytes(instanceBlock);

  if (!isPrimaryInstance) {
    auto area = instance::PackArguments(arguments);
    if (!area) {
      const std::uint64_t bytes = instance::PackedArgumentsSize(arguments);
      diag::Log({"single instance: arguments too long to hand over (", text::DecimalText(bytes), " bytes)"});
      report::ReportError(nullptr, IDS_ARGUMENTS_TOO_LONG, std::wstring(),
                          static_cast<std::int32_t>(std::min<std::uint64_t>(bytes, INT32_MAX)));
      return false;
    }
    const HandOver sent = SendArguments(block, *area, name, executablePath);
    if (sent == HandOver::Sent) {
      if (diag::Enabled()) {
        diag::Log({"handed over to the running instance, pid ",
                   text::DecimalText(std::uint64_t{instance::ReadField(block, instance::kProcessIdOffset)})});
      }
      return true;
    }
    if (sent == HandOver::Failed) {
      diag::Log({"single instance: arguments not taken"});
      report::ShowMessage(nullptr, IDS_HAND_OVER_FAILED);
      return false;
    }
    diag::Log({"single instance: no primary; an ordinary start"});
    Release(*this);
    return true;
  }

  mainStartedEvent.reset(CreateEventW(nullptr, TRUE, FALSE, (name + instance::kMainStartedSuffix).c_str()));
  handOverCopiedEvent.reset(CreateEventW(nullptr, FALSE, FALSE, (name + instance::kHandOverCopiedSuffix).c_str()));
  const UINT messageId = RegisterWindowMessageW(name.c_str());
  instance::WriteField(block, instance::kMessageIdOffset, messageId);
  // Without either event no secondary could be served.
  if (messageId != 0 && mainStartedEvent && handOverCopiedEvent) {
    instance::WriteField(block, instance::kProcessIdOffset, GetCurrentProcessId());
    // The system writes the listener's id straight into the block.
    auto* threadId = reinterpret_cast<DWORD*>(block + instance::kListenerThreadIdOffset);
    listenerThread.reset(CreateThread(nullptr, 0, &ListenerThread, this, 0, threadId));
  }
  // Later starts then find no block and run as ordinary ones too, rather
  // than wait for a listener that never comes.
  if (!listenerThread) Release(*this);
  return true;
}

int InstanceState::WaitForPrimary() const {
  const std::uint8_t* block = BlockBytes(instanceBlock);
  // Its end is waited for, never read from its exit code: a primary may end
  // with 259, the value that reads as "still active".
  win::Handle primary(OpenProcess(PROCESS_QUERY_INFORMATION | SYNCHRONIZE, FALSE,
                                  instance::ReadField(block, instance::kProcessIdOffset)));
  if (!primary) return 0;
  const UINT answer = instance::ReadField(block, instance::kMessageIdOffset);
  const HANDLE process = primary.get();
  for (;;) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == answer) return static_cast<int>(static_cast<DWORD>(message.wParam));
    }
    const DWORD woken = MsgWaitForMultipleObjects(1, &process, FALSE, INFINITE, QS_ALLPOSTMESSAGE);
    if (woken == WAIT_OBJECT_0) {
      // An answer posted just before the end still counts.
      if (PeekMessageW(&message, nullptr, answer, answer, PM_REMOVE)) {
        return static_cast<int>(static_cast<DWORD>(message.wParam));
      }
      DWORD code = 0;
      return GetExitCodeProcess(process, &code) ? static_cast<int>(code) : -1;
    }
    if (woken != WAIT_OBJECT_0 + 1) return -1;
  }
}

void InstanceState::MainStarted(JavaVM* vm) {
  primaryMain.javaVm = vm;
  if (mainStartedEvent) SetEvent(mainStartedEvent.get());
}

void InstanceState::Close() {
  if (singleInstance) {
    if (isPrimaryInstance && listenerThread) {
      StopHandOvers(listenerThread.get(), mainStartedEvent.get());
      listenerThread.reset();
    }
    instanceBlock.reset();
    instanceMapping.reset();
    handOverCopiedEvent.reset();
  }
  mainStartedEvent.reset();
}

}  // namespace instance
