// The hand-over between the launchers of one executable path: the primary's
// listener and hand-over threads, and the secondary's sending of its
// arguments.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "instance/instance_block.h"

namespace instance {

// Thread body of the primary's listener; the argument is the InstanceState. Each
// notification's block is copied at once and handed to a thread of its own
// that waits for main to have started, then calls "secondaryMain".
DWORD WINAPI ListenerThread(LPVOID state);

// Writes the argument area into the mapped block and notifies the primary's
// listener, as one step under the hand-over lock, and returns once the
// listener has copied it. Waits a few seconds for a primary that is still
// starting. False when the notification could not be posted.
bool SendArguments(std::uint8_t* block, const instance::ArgumentArea& area, const std::wstring& instanceName);

}  // namespace instance
