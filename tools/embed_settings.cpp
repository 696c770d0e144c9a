// embed-settings: writes a settings text into a copy of the launcher, as the
// embedded layer beneath the .ini beside it, enciphered with the product's
// "Upgrade Code" (the same value must stand in [Product Information] of the
// .ini the launcher ships with).
//
//   embed-settings <launcher.exe> <settings.txt> <upgrade code>
//
// The settings text may be UTF-16LE with a byte-order mark, or UTF-8 (with or
// without one); bare line feeds become "\r\n", the line ends the launcher reads.
// Any other encoding is refused with exit code 2.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "config/settings_cipher.h"
#include "resources/resource_ids.h"

namespace {

int Fail(const wchar_t* what, DWORD error = 0) {
  if (error != 0) {
    fwprintf(stderr, L"embed-settings: %ls (error %lu)\n", what, static_cast<unsigned long>(error));
  } else {
    fwprintf(stderr, L"embed-settings: %ls\n", what);
  }
  return 2;
}

bool ReadAll(const std::wstring& path, std::vector<unsigned char>& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  unsigned char chunk[65536];
  bool ok = true;
  for (;;) {
    DWORD read = 0;
    if (!ReadFile(file, chunk, sizeof chunk, &read, nullptr)) {
      ok = false;  // a cut text must not be embedded as if whole
      break;
    }
    if (read == 0) break;
    bytes.insert(bytes.end(), chunk, chunk + read);
  }
  CloseHandle(file);
  return ok;
}

// UTF-16LE with a byte-order mark, or UTF-8; anything else is refused rather
// than embedded as garbage the launcher would silently ignore.
bool Decode(const std::vector<unsigned char>& bytes, std::wstring& text) {
  if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
    if (bytes.size() % 2 != 0) return false;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) text += static_cast<wchar_t>(bytes[i] | (bytes[i + 1] << 8));
    return true;
  }
  if (bytes.size() >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF) return false;  // big-endian
  for (unsigned char b : bytes) {
    if (b == 0) return false;  // UTF-16 without a byte-order mark
  }
  size_t start = bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF ? 3 : 0;
  int size = static_cast<int>(bytes.size() - start);
  if (size == 0) return true;
  const char* data = reinterpret_cast<const char*>(bytes.data()) + start;
  int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, data, size, nullptr, 0);
  if (n <= 0) return false;
  text.assign(static_cast<size_t>(n), L'\0');
  return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, data, size, text.data(), n) == n;
}

std::wstring WithCrLf(const std::wstring& text) {
  std::wstring out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\n' && (i == 0 || text[i - 1] != L'\r')) out += L'\r';
    out += text[i];
  }
  return out;
}

bool WriteResource(const std::wstring& exe, const void* data, DWORD size) {
  HANDLE update = BeginUpdateResourceW(exe.c_str(), FALSE);
  if (update == nullptr) return false;
  BOOL ok = UpdateResourceW(update, MAKEINTRESOURCEW(10) /* RT_RCDATA */, MAKEINTRESOURCEW(IDR_EMBEDDED_SETTINGS),
                            MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL), const_cast<void*>(data), size);
  if (!ok) {
    EndUpdateResourceW(update, TRUE);
    return false;
  }
  return EndUpdateResourceW(update, FALSE) != FALSE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) {
    fwprintf(stderr, L"usage: embed-settings <launcher.exe> <settings.txt> <upgrade code>\n");
    return 1;
  }
  std::vector<unsigned char> bytes;
  if (!ReadAll(argv[2], bytes)) return Fail(L"cannot read the settings text", GetLastError());
  std::wstring decoded;
  if (!Decode(bytes, decoded)) {
    return Fail(L"the settings text must be UTF-16LE with a byte-order mark, or UTF-8");
  }
  std::wstring settings = WithCrLf(decoded);
  std::vector<std::uint8_t> block = config::EncipherSettings(settings, argv[3]);
  if (!WriteResource(argv[1], block.data(), static_cast<DWORD>(block.size()))) {
    return Fail(L"cannot update the executable's resources", GetLastError());
  }
  return 0;
}
