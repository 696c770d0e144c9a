// Single-instance mode: who is the primary, the secondary's wait for its
// answer, and the end of the primary's listener.
#include "instance/single_instance.h"

#include <utility>

#include "config/settings_catalogue.h"
#include "config/settings_keys.h"
#include "config/settings_paths.h"
#include "config/settings_store.h"
#include "instance/hand_over.h"
#include "instance/instance_block.h"

namespace instance {

namespace keys = config::keys;

namespace {

constexpr DWORD kPrimaryPollMs = 100;

std::uint8_t* BlockBytes(const win::MappedView& view) { return static_cast<std::uint8_t*>(view.get()); }

}  // namespace

bool InstanceState::SetUpSingleInstance(const std::wstring& upgradeCode, const std::vector<std::wstring>& arguments,
                                        PrimaryMain primary) {
  primaryMain = std::move(primary);
  // No splash is up yet: boxes have no owner.
  auto exe = config::GetExecutablePath(nullptr);
  if (!exe) return false;
  auto file = config::SettingsPathFor(*exe);
  if (!file) return false;
  config::SettingsStore store;
  store.Open(*file, config::EmbeddedSettingsText(upgradeCode));
  if (config::IsServiceType(store.Lookup(keys::kApplication, keys::kApplicationType))) return true;
  if (!config::IsSingleInstanceOn(store.Lookup(keys::kApplication, keys::kSingleInstance))) return true;
  singleInstance = true;

  const std::wstring name = instance::InstanceName(*exe);
  SetLastError(0);
  instanceMapping.reset(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                           static_cast<DWORD>(instance::kBlockSize), name.c_str()));
  isPrimaryInstance = GetLastError() != ERROR_ALREADY_EXISTS;
  if (instanceMapping) instanceBlock.reset(MapViewOfFile(instanceMapping.get(), FILE_MAP_WRITE, 0, 0, 0));
  if (!instanceBlock) {
    singleInstance = false;  // runs as an ordinary launch
    return true;
  }
  std::uint8_t* block = BlockBytes(instanceBlock);

  if (!isPrimaryInstance) {
    auto area = instance::PackArguments(arguments);
    return area && SendArguments(block, *area, name);
  }

  mainStartedEvent.reset(CreateEventW(nullptr, TRUE, FALSE, (name + instance::kMainStartedSuffix).c_str()));
  handOverCopiedEvent.reset(CreateEventW(nullptr, FALSE, FALSE, (name + instance::kHandOverCopiedSuffix).c_str()));
  const UINT messageId = RegisterWindowMessageW(name.c_str());
  instance::WriteField(block, instance::kMessageIdOffset, messageId);
  // Without either event no secondary could be served.
  if (messageId == 0 || !mainStartedEvent || !handOverCopiedEvent) {
    singleInstance = false;
    return true;
  }
  instance::WriteField(block, instance::kProcessIdOffset, GetCurrentProcessId());
  // The system writes the listener's id straight into the block.
  auto* threadId = reinterpret_cast<DWORD*>(block + instance::kListenerThreadIdOffset);
  listenerThread.reset(CreateThread(nullptr, 0, &ListenerThread, this, 0, threadId));
  if (!listenerThread) singleInstance = false;
  return true;
}

int InstanceState::WaitForPrimary() const {
  const std::uint8_t* block = BlockBytes(instanceBlock);
  win::Handle primary(
      OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, instance::ReadField(block, instance::kProcessIdOffset)));
  if (!primary) return 0;
  const UINT answer = instance::ReadField(block, instance::kMessageIdOffset);
  for (;;) {
    MSG message;
    if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) && message.message == answer) {
      return static_cast<int>(static_cast<DWORD>(message.wParam));
    }
    DWORD code = 0;
    if (!GetExitCodeProcess(primary.get(), &code)) return -1;
    if (code != STILL_ACTIVE) return static_cast<int>(code);
    // The poll of the primary's state, woken early by the answer.
    MsgWaitForMultipleObjects(0, nullptr, FALSE, kPrimaryPollMs, QS_ALLPOSTMESSAGE);
  }
}

void InstanceState::MainStarted(JavaVM* vm) {
  primaryMain.javaVm = vm;
  if (mainStartedEvent) SetEvent(mainStartedEvent.get());
}

void InstanceState::Close() {
  if (singleInstance) {
    if (isPrimaryInstance && listenerThread) {
      DWORD code = STILL_ACTIVE;
      do {
        PostThreadMessageW(GetThreadId(listenerThread.get()), WM_QUIT, 0, 0);
        WaitForSingleObject(listenerThread.get(), 20);  // time to take the message, not a spin
        if (!GetExitCodeThread(listenerThread.get(), &code)) break;
      } while (code == STILL_ACTIVE);
      listenerThread.reset();
    }
    instanceBlock.reset();
    instanceMapping.reset();
    handOverCopiedEvent.reset();
  }
  mainStartedEvent.reset();
}

}  // namespace instance
