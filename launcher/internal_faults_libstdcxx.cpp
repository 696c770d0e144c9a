// The throwing paths of GCC's standard library (the x64 build), ended as
// internal faults.
#include "launcher/internal_faults.h"

using launcher::InternalFault;
using launcher::kNoMemory;
using launcher::kStringFault;

namespace std {
void __throw_bad_alloc() { InternalFault(kNoMemory); }
void __throw_bad_array_new_length() { InternalFault(kNoMemory); }
void __throw_length_error(const char*) { InternalFault(kNoMemory); }
void __throw_out_of_range(const char*) { InternalFault(kStringFault); }
void __throw_out_of_range_fmt(const char*, ...) { InternalFault(kStringFault); }
void __throw_logic_error(const char*) { InternalFault(kStringFault); }
void __throw_invalid_argument(const char*) { InternalFault(kStringFault); }
void __throw_bad_function_call() { InternalFault(kStringFault); }
}  // namespace std
