// The hand-over between the launchers of one executable path: the primary's
// listener and hand-over threads, and the secondary's sending of its
// arguments.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "instance/instance_block.h"

namespace instance {

// Thread body of the primary's listener; the argument is the InstanceState. A
// notification whose sender wrote the argument area for it has the block
// copied at once and handed to a thread of its own that waits for main to
// have started, then calls "secondaryMain"; every other one is dropped.
DWORD WINAPI ListenerThread(LPVOID state);

// The teardown's end of single instance, once the virtual machine is gone:
// lets no hand-over thread use it any more, stops the listener, wakes the
// threads still waiting for main (setting `mainStarted`) and waits a bounded
// time for every one to end.
void StopHandOvers(HANDLE listener, HANDLE mainStarted);

enum class HandOver {
  Sent,       // the primary took the arguments (or ended meanwhile)
  NoPrimary,  // no launcher of this path serves the block
  Failed,     // the primary did not take them
};

// Writes the argument area and this thread's id into the mapped block and
// notifies the primary's listener, as one step under the hand-over lock, and
// returns once the listener has copied it. Waits a few seconds for a primary
// that is still starting, and offers the list again for a while when the
// primary's pending hand-overs are at their bound. The primary is recognised
// by its program file being the one at `executablePath`.
HandOver SendArguments(std::uint8_t* block, const instance::ArgumentArea& area, const std::wstring& instanceName,
                       const std::wstring& executablePath);

}  // namespace instance
