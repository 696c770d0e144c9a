#include "common/text_win.h"

#include <windows.h>

#include "common/expansion.h"

namespace text {

namespace {

// The path a system call makes of `path`, asked for its size first; empty
// when the call fails.
[[gnu::noinline]] std::wstring PathFromSystem(const std::wstring& path,
                                              DWORD (*call)(const wchar_t*, wchar_t*, DWORD)) {
  DWORD size = call(path.c_str(), nullptr, 0);
  if (size == 0) return {};
  std::wstring result(size, L'\0');
  DWORD length = call(path.c_str(), result.data(), size);
  if (length == 0 || length >= size) return {};
  result.resize(length);
  return result;
}

std::string ToCodePage(std::wstring_view s, UINT codePage) {
  if (s.empty()) return {};
  // No best-fit lookalikes: a character the code page lacks becomes its
  // default character, so a path never silently names another file.
  const DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
  int n = WideCharToMultiByte(codePage, flags, s.data(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr);
  if (n <= 0) return {};
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(codePage, flags, s.data(), static_cast<int>(s.size()), out.data(), n, nullptr, nullptr);
  return out;
}

}  // namespace

std::string ToThreadAnsi(std::wstring_view s) { return ToCodePage(s, CP_THREAD_ACP); }
std::string ToUtf8(std::wstring_view s) { return ToCodePage(s, CP_UTF8); }

bool ConvertsToThreadAnsi(std::wstring_view s) { return FromThreadAnsi(ToThreadAnsi(s)) == s; }

std::wstring ShortPathName(const std::wstring& path) {
  return PathFromSystem(path, GetShortPathNameW);
}

std::wstring FromThreadAnsi(std::string_view s) {
  if (s.empty()) return {};
  int n = MultiByteToWideChar(CP_THREAD_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  if (n <= 0) return {};
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_THREAD_ACP, 0, s.data(), static_cast<int>(s.size()), out.data(), n);
  return out;
}

namespace {

// The value of a variable; none when it is not set or changed while read.
[[gnu::noinline]] std::optional<std::wstring> VariableValue(const wchar_t* name) {
  SetLastError(ERROR_SUCCESS);
  DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
  if (size == 0) {
    if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
    return std::wstring();  // set, but empty
  }
  std::wstring value(size + 1, L'\0');
  DWORD written = GetEnvironmentVariableW(name, value.data(), size + 1);
  if (written > size) return std::nullopt;
  value.resize(written);
  return value;
}

}  // namespace

std::wstring ExpandEnvironment(std::wstring_view s) {
  return ExpandReferences(s, [](std::wstring_view name) { return VariableValue(std::wstring(name).c_str()); });
}

std::wstring GetEnvironment(const wchar_t* name) { return VariableValue(name).value_or(std::wstring()); }

std::wstring FullPath(const std::wstring& path) {
  std::wstring full = PathFromSystem(
      path, [](const wchar_t* in, wchar_t* out, DWORD size) { return GetFullPathNameW(in, size, out, nullptr); });
  return full.empty() ? path : full;
}

}  // namespace text
