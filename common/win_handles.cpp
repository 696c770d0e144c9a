#include "common/win_handles.h"

namespace win {

void ReleaseInterface(IUnknown* object) { object->Release(); }

}  // namespace win
