// Helpers the benchmark programs share: failures as exceptions (benchmarks
// only, never the product), files of an application folder, the clock and the
// summary of a series of times.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/win_handles.h"

namespace benchsupport {

inline std::runtime_error Failure(const std::wstring& what) {
  std::string narrow;
  for (wchar_t c : what) narrow += c < 0x80 ? static_cast<char>(c) : '?';
  return std::runtime_error(narrow);
}

// A failed Windows call, with its error code.
inline std::runtime_error SystemFailure(const std::wstring& what) {
  DWORD error = GetLastError();
  return Failure(what + L" (error " + std::to_wstring(error) + L")");
}

inline void CreateParentFolders(const std::wstring& path) {
  for (size_t i = path.find(L'\\', 3); i != std::wstring::npos; i = path.find(L'\\', i + 1)) {
    CreateDirectoryW(path.substr(0, i).c_str(), nullptr);
  }
}

inline void CopyInto(const std::wstring& from, const std::wstring& to) {
  CreateParentFolders(to);
  if (!CopyFileW(from.c_str(), to.c_str(), FALSE)) throw SystemFailure(L"cannot copy " + from + L" to " + to);
}

// Settings files are read as UTF-16LE with a byte-order mark.
inline void WriteUtf16File(const std::wstring& path, const std::wstring& text) {
  win::FileHandle file(
      CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) throw SystemFailure(L"cannot create " + path);
  std::wstring bytes = L"\xFEFF" + text;
  DWORD size = static_cast<DWORD>(bytes.size() * sizeof(wchar_t));
  DWORD written = 0;
  if (!WriteFile(file.get(), bytes.data(), size, &written, nullptr) || written != size) {
    throw SystemFailure(L"cannot write " + path);
  }
}

inline double Now() {
  static const double ticksPerMs = [] {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(frequency.QuadPart) / 1000.0;
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) / ticksPerMs;
}

struct Figures {
  double min, median, max;
};

inline Figures Summarise(std::vector<double> times) {
  std::sort(times.begin(), times.end());
  size_t n = times.size();
  double median = n % 2 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2;
  return {times.front(), median, times.back()};
}

inline void PrintRow(const char* name, const Figures& f) {
  std::printf("%-48s %9.2f %9.2f %9.2f\n", name, f.min, f.median, f.max);
}

}  // namespace benchsupport
