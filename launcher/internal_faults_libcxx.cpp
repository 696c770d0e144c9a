// LLVM's standard library (the ARM64 build) built without exceptions ends every
// throwing path (a position outside a string, a length beyond the maximum) in
// this function, which the library lets a program replace: an internal fault.
#include <__verbose_abort>

#include "launcher/internal_faults.h"

_LIBCPP_BEGIN_NAMESPACE_STD
void __libcpp_verbose_abort(const char*, ...) { launcher::InternalFault(launcher::kStringFault); }
_LIBCPP_END_NAMESPACE_STD
