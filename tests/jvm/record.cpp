// Writing the double's record (format in double_record.h).
#include "double_record.h"

#include <windows.h>

#include <mutex>

#include "text.h"

namespace jvmdouble {

namespace {

std::mutex recordMutex;
bool recordOpened = false;
HANDLE recordFile = INVALID_HANDLE_VALUE;

}  // namespace

void Record(std::string_view line) {
  std::lock_guard lock(recordMutex);
  if (!recordOpened) {
    recordOpened = true;
    wchar_t path[MAX_PATH * 2];
    DWORD length = GetEnvironmentVariableW(L"VORN_DOUBLE_RECORD", path, MAX_PATH * 2);
    if (length > 0 && length < MAX_PATH * 2) {
      recordFile = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    }
  }
  if (recordFile == INVALID_HANDLE_VALUE) return;
  std::string text(line);
  text += '\n';
  DWORD written = 0;
  WriteFile(recordFile, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

namespace {

// Bytes as "%XX" where they would break a line of the record: control
// characters, "%" itself and, when asked, everything above ASCII.
std::string Escape(std::string_view bytes, bool escapeAboveAscii) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : bytes) {
    if (c < 0x20 || c == 0x7F || c == '%' || (escapeAboveAscii && c > 0x7E)) {
      out += '%';
      out += digits[c >> 4];
      out += digits[c & 15];
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

}  // namespace

std::string EscapeNarrow(std::string_view bytes) { return Escape(bytes, true); }

std::string EscapeWide(std::u16string_view text) { return Escape(Wtf8(text), false); }

std::string HexUtf16(std::u16string_view text) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (char16_t unit : text) {
    for (int shift = 12; shift >= 0; shift -= 4) out += digits[(unit >> shift) & 15];
  }
  return out;
}

}  // namespace jvmdouble
