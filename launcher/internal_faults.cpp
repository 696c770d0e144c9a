// Internal faults end the process at once, without a message: memory that runs
// out while a string or list grows raises 0xC0000017, a position outside a
// string 0xC000001D. The product is built without C++ exceptions; these
// replace the allocation operators it uses (it has no array or nothrow
// allocations: memory that may not be there, such as a splash picture's, comes
// from malloc and is checked), and internal_faults_<library>.cpp the
// standard library's throwing paths, which also keeps the exception machinery
// out of the executable.
#include "launcher/internal_faults.h"

#include <cstdlib>
#include <new>

namespace launcher {

void InternalFault(DWORD code) {
  RaiseException(code, EXCEPTION_NONCONTINUABLE, 0, nullptr);
  ExitProcess(code);  // not reached: a non-continuable exception does not return
}

}  // namespace launcher

using launcher::InternalFault;
using launcher::kNoMemory;

void* operator new(std::size_t size) {
  void* p = std::malloc(size != 0 ? size : 1);
  if (p == nullptr) InternalFault(kNoMemory);
  return p;
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
