// Internal faults end the process at once, without a message: memory that runs
// out while a string or list grows raises 0xC0000017, a position outside a
// string 0xC000001D. The product is built without C++ exceptions; these
// replace the standard library's throwing paths and allocation operators, which
// also keeps the exception machinery out of the executable.
#include <windows.h>

#include <cstdlib>
#include <new>

namespace {

[[noreturn]] void Fault(DWORD code) {
  RaiseException(code, EXCEPTION_NONCONTINUABLE, 0, nullptr);
  ExitProcess(code);  // not reached: a non-continuable exception does not return
}

constexpr DWORD kNoMemory = 0xC0000017;
constexpr DWORD kStringFault = 0xC000001D;

}  // namespace

namespace std {
void __throw_bad_alloc() { Fault(kNoMemory); }
void __throw_bad_array_new_length() { Fault(kNoMemory); }
void __throw_length_error(const char*) { Fault(kNoMemory); }
void __throw_out_of_range(const char*) { Fault(kStringFault); }
void __throw_out_of_range_fmt(const char*, ...) { Fault(kStringFault); }
void __throw_logic_error(const char*) { Fault(kStringFault); }
void __throw_invalid_argument(const char*) { Fault(kStringFault); }
void __throw_bad_function_call() { Fault(kStringFault); }
}  // namespace std

void* operator new(std::size_t size) {
  void* p = std::malloc(size != 0 ? size : 1);
  if (p == nullptr) Fault(kNoMemory);
  return p;
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
// Used by the standard algorithms for scratch space; a null result is handled there.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return std::malloc(size != 0 ? size : 1); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return std::malloc(size != 0 ? size : 1); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
