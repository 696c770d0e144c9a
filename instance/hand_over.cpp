#include "instance/hand_over.h"

#include <cstring>
#include <memory>
#include <optional>

#include "common/path_text.h"
#include "common/text_win.h"
#include "common/win_handles.h"
#include "jvm/secondary_main.h"
#include "instance/hand_over_gate.h"
#include "instance/single_instance.h"

namespace instance {

namespace {

using instance::ReadField;
using instance::WriteField;

// How long a secondary waits for a primary that is still starting.
constexpr ULONGLONG kStartingPrimaryWaitMs = 5000;
constexpr DWORD kStartingPollMs = 10;
// Every secondary before this one holds the lock only while the listener
// copies its arguments; the wait is long only for a burst of them.
constexpr DWORD kLockWaitMs = 60000;
// The listener copies at once; this bounds the wait for a primary that hangs
// (one that ends is noticed at once).
constexpr DWORD kCopyWaitMs = 30000;
// A primary whose pending hand-overs are at their bound makes room as soon
// as its main runs or a "secondaryMain" returns; a later start offers again
// this often, for this long.
constexpr DWORD kFullRetryMs = 100;
constexpr ULONGLONG kFullWaitMs = 30000;
// Once the virtual machine is gone, hand-over threads only have to notice the
// closed gate; one stuck in a late call into the VM is not waited for longer.
constexpr DWORD kHandOversEndWaitMs = 10000;

// The one listener of this process and its hand-over threads.
HandOverGate gate;

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
  // javaVm is written before the event is set; the teardown sets it too,
  // after closing the gate.
  if (WaitForSingleObject(request->mainStarted.get(), INFINITE) == WAIT_OBJECT_0 && gate.MayProceed()) {
    const PrimaryMain& primary = request->state->primaryMain;
    ThreadMessageAnswer answer(request->senderThreadId, ReadField(request->block.data(), instance::kMessageIdOffset));
    jvm::CallSecondaryMain(primary.javaVm, text::ToThreadAnsi(primary.mainClass),
                           instance::ReadArguments(request->block), primary.stayAttached, answer);
  }
  request.reset();
  gate.Done();
  return 0;
}

// A program file as the file system knows it: its volume and its index there.
struct FileIdentity {
  DWORD volume = 0, high = 0, low = 0;
  bool operator==(const FileIdentity&) const = default;
};

// The identity of the program `path` stands for (a console companion's is its
// program's); none when it cannot be read.
std::optional<FileIdentity> IdentityOf(std::wstring_view path) {
  win::FileHandle file(CreateFileW(text::LongPathForm(instance::ProgramPath(path)).c_str(), 0,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                                   nullptr));
  BY_HANDLE_FILE_INFORMATION info;
  if (!file || !GetFileInformationByHandle(file.get(), &info)) return std::nullopt;
  return FileIdentity{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

// True when `processId` names a running launcher of the same program. The
// system may report its image under another spelling than the one this start
// was given (a SUBST or mapped drive under its real path, other letter case),
// so the files are compared, not their path texts.
bool ServesInstance(DWORD processId, const std::optional<FileIdentity>& ours) {
  win::Handle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, processId));
  if (!ours || !process || WaitForSingleObject(process.get(), 0) != WAIT_TIMEOUT) return false;
  wchar_t image[32768];
  DWORD size = 32768;
  if (!QueryFullProcessImageNameW(process.get(), 0, image, &size)) return false;
  return IdentityOf(std::wstring_view(image, size)) == ours;
}

enum class Offer { Taken, Refused, NotTaken };

// One offer of the argument list to the listener, under the hand-over lock.
// Taken also when the primary ended meanwhile (its exit code is the answer).
Offer OfferArguments(std::uint8_t* block, const instance::ArgumentArea& area, HANDLE copied, ULONGLONG deadline) {
  ResetEvent(copied);
  const DWORD self = GetCurrentThreadId();
  std::memcpy(block + instance::kArgumentAreaOffset, area.data(), area.size());
  WriteField(block, instance::kSenderThreadIdOffset, self);
  // A listener thread that has not yet taken its first message has no queue.
  while (!PostThreadMessageW(ReadField(block, instance::kListenerThreadIdOffset),
                             ReadField(block, instance::kMessageIdOffset), self, 0)) {
    if (GetTickCount64() >= deadline) return Offer::NotTaken;
    Sleep(kStartingPollMs);
  }
  win::Handle primary(OpenProcess(SYNCHRONIZE, FALSE, ReadField(block, instance::kProcessIdOffset)));
  const HANDLE waits[] = {copied, primary.get()};
  const DWORD woken = WaitForMultipleObjects(primary ? 2 : 1, waits, FALSE, kCopyWaitMs);
  if (ReadField(block, instance::kSenderThreadIdOffset) != self) return Offer::Taken;
  WriteField(block, instance::kSenderThreadIdOffset, 0);
  if (primary && WaitForSingleObject(primary.get(), 0) == WAIT_OBJECT_0) return Offer::Taken;
  // The listener saw it and left it: refused. Otherwise the primary hangs.
  return woken == WAIT_OBJECT_0 ? Offer::Refused : Offer::NotTaken;
}

}  // namespace

DWORD WINAPI ListenerThread(LPVOID parameter) {
  const InstanceState& state = *static_cast<const InstanceState*>(parameter);
  auto* block = static_cast<std::uint8_t*>(state.instanceBlock.get());
  const UINT notification = ReadField(block, instance::kMessageIdOffset);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (message.message != notification) continue;
    // A later start writes its id beside its arguments before it notifies:
    // any other notification brought no argument list of its own.
    const auto sender = static_cast<DWORD>(message.wParam);
    if (sender == 0 || ReadField(block, instance::kSenderThreadIdOffset) != sender) continue;
    const HandOverGate::Admission admission = gate.Admit();
    // Closing: the sender is left to wait for this process's end.
    if (admission == HandOverGate::Admission::Closed) continue;
    auto request = std::make_unique<HandOverRequest>();
    if (admission == HandOverGate::Admission::Admitted) {
      request->senderThreadId = sender;
      request->state = &state;
      // Copied before the sender lets the next secondary write the area;
      // the cleared id tells the sender it was taken.
      std::memcpy(request->block.data(), block, request->block.size());
      WriteField(block, instance::kSenderThreadIdOffset, 0);
    }
    if (state.handOverCopiedEvent) SetEvent(state.handOverCopiedEvent.get());
    if (admission != HandOverGate::Admission::Admitted) continue;
    HANDLE mainStarted = nullptr;
    const HANDLE self = GetCurrentProcess();
    win::Handle thread;
    if (DuplicateHandle(self, state.mainStartedEvent.get(), self, &mainStarted, SYNCHRONIZE, FALSE, 0)) {
      request->mainStarted.reset(mainStarted);
      thread.reset(CreateThread(nullptr, 0, &HandOverThread, request.get(), 0, nullptr));
    }
    if (thread) {
      request.release();  // the thread owns it now
    } else {
      gate.Done();
    }
  }
  return 0;
}

void StopHandOvers(HANDLE listener, HANDLE mainStarted) {
  // Closed first: a notification the listener still takes from its queue is
  // left unanswered, and its sender gets this process's exit code.
  gate.Close();
  DWORD code = STILL_ACTIVE;
  do {
    PostThreadMessageW(GetThreadId(listener), WM_QUIT, 0, 0);
    WaitForSingleObject(listener, 20);  // time to take the message, not a spin
    if (!GetExitCodeThread(listener, &code)) break;
  } while (code == STILL_ACTIVE);
  SetEvent(mainStarted);
  gate.WaitUntilAllDone(kHandOversEndWaitMs);
}

HandOver SendArguments(std::uint8_t* block, const instance::ArgumentArea& area, const std::wstring& instanceName,
                       const std::wstring& executablePath) {
  // The answer comes to this thread's queue: make sure it has one.
  MSG message;
  PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);

  const ULONGLONG deadline = GetTickCount64() + kStartingPrimaryWaitMs;
  const std::optional<FileIdentity> ours = IdentityOf(executablePath);
  win::Handle copied;
  for (;;) {
    const DWORD primaryId = ReadField(block, instance::kProcessIdOffset);
    if (primaryId != 0) {
      // Whoever made the block, only a running launcher of this instance serves it.
      if (!ServesInstance(primaryId, ours)) return HandOver::NoPrimary;
      if (ReadField(block, instance::kListenerThreadIdOffset) != 0) {
        const std::wstring name = instanceName + instance::kHandOverCopiedSuffix;
        copied.reset(OpenEventW(SYNCHRONIZE | EVENT_MODIFY_STATE, FALSE, name.c_str()));
        if (copied) break;
      }
    }
    if (GetTickCount64() >= deadline) return primaryId == 0 ? HandOver::NoPrimary : HandOver::Failed;
    Sleep(kStartingPollMs);
  }

  const std::wstring lockName = instanceName + instance::kHandOverLockSuffix;
  win::Handle lock(CreateMutexW(nullptr, FALSE, lockName.c_str()));
  if (!lock) return HandOver::Failed;
  ULONGLONG refusedUntil = 0;  // counted from the first refusal
  for (;;) {
    Offer offer;
    {
      win::HeldMutex held(lock.get(), kLockWaitMs);
      if (!held) return HandOver::Failed;
      offer = OfferArguments(block, area, copied.get(), deadline);
    }
    if (offer != Offer::Refused) return offer == Offer::Taken ? HandOver::Sent : HandOver::Failed;
    // Its list of pending hand-overs is full while it starts or serves
    // others: there is room again once one of them is done.
    const ULONGLONG now = GetTickCount64();
    if (refusedUntil == 0) refusedUntil = now + kFullWaitMs;
    if (now >= refusedUntil) return HandOver::Failed;
    Sleep(kFullRetryMs);
  }
}

}  // namespace instance
