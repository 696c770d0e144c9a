#include "instance/hand_over.h"

#include <cstring>
#include <memory>

#include "common/text_win.h"
#include "common/win_handles.h"
#include "jvm/secondary_main.h"
#include "instance/single_instance.h"

namespace instance {

namespace {

using instance::ReadField;

// How long a secondary waits for a primary that is still starting.
constexpr ULONGLONG kStartingPrimaryWaitMs = 5000;
constexpr DWORD kStartingPollMs = 10;
// Every secondary before this one holds the lock only while the listener
// copies its arguments; the wait is long only for a burst of them.
constexpr DWORD kLockWaitMs = 60000;
// The listener copies at once; this bounds the wait for a primary that hangs
// (one that ends is noticed at once).
constexpr DWORD kCopyWaitMs = 30000;

struct HandOverRequest {
  DWORD senderThreadId = 0;
  const InstanceState* state = nullptr;
  instance::Block block{};  // the block as it was when the notification arrived
  // The thread's own handle of the main-started event: InstanceState::Close
  // releases its handle at the end while threads may still wait.
  win::Handle mainStarted;
};

// The answer is the registered message, the code as its first parameter.
class ThreadMessageAnswer : public jvm::HandOverHost {
 public:
  ThreadMessageAnswer(DWORD thread, UINT message) : thread_(thread), message_(message) {}
  void Answer(jint code) override {
    PostThreadMessageW(thread_, message_, static_cast<WPARAM>(static_cast<DWORD>(code)), 0);
  }

 private:
  DWORD thread_;
  UINT message_;
};

DWORD WINAPI HandOverThread(LPVOID parameter) {
  std::unique_ptr<HandOverRequest> request(static_cast<HandOverRequest*>(parameter));
  const PrimaryMain& primary = request->state->primaryMain;
  // javaVm is written before the event is set.
  if (WaitForSingleObject(request->mainStarted.get(), INFINITE) != WAIT_OBJECT_0) return 0;
  ThreadMessageAnswer answer(request->senderThreadId, ReadField(request->block.data(), instance::kMessageIdOffset));
  jvm::CallSecondaryMain(primary.javaVm, text::ToThreadAnsi(primary.mainClass),
                         instance::ReadArguments(request->block), primary.stayAttached, answer);
  return 0;
}

}  // namespace

DWORD WINAPI ListenerThread(LPVOID parameter) {
  const InstanceState& state = *static_cast<const InstanceState*>(parameter);
  const auto* block = static_cast<const std::uint8_t*>(state.instanceBlock.get());
  const UINT notification = ReadField(block, instance::kMessageIdOffset);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (message.message != notification) continue;
    auto request = std::make_unique<HandOverRequest>();
    request->senderThreadId = static_cast<DWORD>(message.wParam);
    request->state = &state;
    // Copied before the sender lets the next secondary write the area.
    std::memcpy(request->block.data(), block, request->block.size());
    if (state.handOverCopiedEvent) SetEvent(state.handOverCopiedEvent.get());
    HANDLE mainStarted = nullptr;
    const HANDLE self = GetCurrentProcess();
    if (!DuplicateHandle(self, state.mainStartedEvent.get(), self, &mainStarted, SYNCHRONIZE, FALSE, 0)) continue;
    request->mainStarted.reset(mainStarted);
    win::Handle thread(CreateThread(nullptr, 0, &HandOverThread, request.get(), 0, nullptr));
    if (thread) request.release();  // the thread owns it now
  }
  return 0;
}

bool SendArguments(std::uint8_t* block, const instance::ArgumentArea& area, const std::wstring& instanceName) {
  // The answer comes to this thread's queue: make sure it has one.
  MSG message;
  PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);

  const ULONGLONG deadline = GetTickCount64() + kStartingPrimaryWaitMs;
  win::Handle copied;
  for (;;) {
    if (ReadField(block, instance::kListenerThreadIdOffset) != 0 && ReadField(block, instance::kMessageIdOffset) != 0) {
      const std::wstring name = instanceName + instance::kHandOverCopiedSuffix;
      copied.reset(OpenEventW(SYNCHRONIZE | EVENT_MODIFY_STATE, FALSE, name.c_str()));
      if (copied) break;
    }
    if (GetTickCount64() >= deadline) return false;
    Sleep(kStartingPollMs);
  }

  const std::wstring lockName = instanceName + instance::kHandOverLockSuffix;
  win::Handle lock(CreateMutexW(nullptr, FALSE, lockName.c_str()));
  if (!lock) return false;
  win::HeldMutex held(lock.get(), kLockWaitMs);
  if (!held) return false;

  ResetEvent(copied.get());
  std::memcpy(block + instance::kArgumentAreaOffset, area.data(), area.size());
  // A listener thread that has not yet taken its first message has no queue.
  for (;;) {
    if (PostThreadMessageW(ReadField(block, instance::kListenerThreadIdOffset),
                           ReadField(block, instance::kMessageIdOffset), GetCurrentThreadId(), 0)) {
      break;
    }
    if (GetTickCount64() >= deadline) return false;
    Sleep(kStartingPollMs);
  }
  win::Handle primary(OpenProcess(SYNCHRONIZE, FALSE, ReadField(block, instance::kProcessIdOffset)));
  const HANDLE waits[] = {copied.get(), primary.get()};
  WaitForMultipleObjects(primary ? 2 : 1, waits, FALSE, kCopyWaitMs);
  return true;
}

}  // namespace instance
