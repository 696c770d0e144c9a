#include "common/win_handles.h"

namespace win {

void ReleaseInterface(IUnknown* object) { object->Release(); }

FARPROC EntryPoint(HMODULE library, const char* name) {
  return library != nullptr ? GetProcAddress(library, name) : nullptr;
}

}  // namespace win
