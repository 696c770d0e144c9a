#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

namespace testsupport {
namespace {

std::wstring TempRoot() {
  wchar_t buffer[MAX_PATH + 1] = {};
  DWORD n = GetTempPathW(MAX_PATH, buffer);
  std::wstring root(buffer, n);
  if (!root.empty() && root.back() == L'\\') root.pop_back();
  root += L"\\vorn-tests";
  CreateDirectoryW(root.c_str(), nullptr);
  return root;
}

void CreateParents(const std::wstring& path) {
  for (size_t i = path.find(L'\\', 3); i != std::wstring::npos; i = path.find(L'\\', i + 1)) {
    CreateDirectoryW(path.substr(0, i).c_str(), nullptr);
  }
}

}  // namespace

TempFolder::TempFolder() {
  static std::atomic<unsigned> counter{0};
  std::wstring root = TempRoot();
  for (;;) {
    path_ = root + L"\\t" + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(GetTickCount64()) + L"_" +
            std::to_wstring(counter++);
    if (CreateDirectoryW(path_.c_str(), nullptr)) break;
  }
}

TempFolder::~TempFolder() { RemoveTree(path_); }

void RemoveTree(const std::wstring& path) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring child = path + L"\\" + name;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(child);
      } else {
        SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(child.c_str());
      }
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  RemoveDirectoryW(path.c_str());
}

void WriteBinaryFile(const std::wstring& path, const std::vector<unsigned char>& bytes) {
  CreateParents(path);
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << "cannot create test file";
  DWORD written = 0;
  if (!bytes.empty()) WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  ASSERT_EQ(written, bytes.size());
}

void WriteTextFile(const std::wstring& path, const std::wstring& content, Encoding encoding) {
  std::vector<unsigned char> bytes;
  if (encoding == Encoding::Utf16Bom) {
    bytes = {0xFF, 0xFE};
    for (wchar_t c : content) {
      bytes.push_back(static_cast<unsigned char>(c & 0xFF));
      bytes.push_back(static_cast<unsigned char>(c >> 8));
    }
  } else {
    int n = WideCharToMultiByte(CP_ACP, 0, content.data(), static_cast<int>(content.size()), nullptr, 0, nullptr,
                                nullptr);
    bytes.resize(static_cast<size_t>(n));
    WideCharToMultiByte(CP_ACP, 0, content.data(), static_cast<int>(content.size()),
                        reinterpret_cast<char*>(bytes.data()), n, nullptr, nullptr);
  }
  WriteBinaryFile(path, bytes);
}

std::wstring ReadTextFile(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::vector<unsigned char> bytes;
  unsigned char chunk[65536];
  DWORD read = 0;
  while (ReadFile(file, chunk, sizeof chunk, &read, nullptr) && read > 0) bytes.insert(bytes.end(), chunk, chunk + read);
  CloseHandle(file);
  if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
    std::wstring out;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) out += static_cast<wchar_t>(bytes[i] | (bytes[i + 1] << 8));
    return out;
  }
  UINT codePage = CP_ACP;
  size_t start = 0;
  if (bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
    codePage = CP_UTF8;
    start = 3;
  }
  const char* data = reinterpret_cast<const char*>(bytes.data()) + start;
  int size = static_cast<int>(bytes.size() - start);
  if (size == 0) return {};
  int n = MultiByteToWideChar(codePage, 0, data, size, nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(codePage, 0, data, size, out.data(), n);
  return out;
}

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void CopyFileTo(const std::wstring& from, const std::wstring& to) {
  CreateParents(to);
  ASSERT_TRUE(CopyFileW(from.c_str(), to.c_str(), FALSE)) << "cannot copy a test file, error " << GetLastError();
}

std::wstring BinDir() {
  std::vector<wchar_t> buffer(32768);
  DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
  std::wstring path(buffer.data(), n);
  return path.substr(0, path.rfind(L'\\'));
}

std::wstring BinFile(const std::wstring& name) { return BinDir() + L"\\" + name; }

void MakeLink(const std::wstring& link, const std::wstring& target) {
  using UnixName = char*(CDECL*)(const wchar_t*);
  const auto unixName = reinterpret_cast<UnixName>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  ASSERT_NE(unixName, nullptr);
  char* from = unixName(link.c_str());
  char* to = unixName(target.c_str());
  ASSERT_TRUE(from != nullptr && to != nullptr);
  const std::wstring unixTarget(to, to + strlen(to)), unixLink(from, from + strlen(from));
  std::wstring command = L"/bin/ln -s \"" + unixTarget + L"\" \"" + unixLink + L"\"";
  HeapFree(GetProcessHeap(), 0, from);
  HeapFree(GetProcessHeap(), 0, to);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(
      CreateProcessW(L"/bin/ln", command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  // Wine cannot wait for a Unix process: the link appears.
  for (int wait = 0; wait < 300 && GetFileAttributesW(link.c_str()) == INVALID_FILE_ATTRIBUTES; ++wait) Sleep(100);
  ASSERT_NE(GetFileAttributesW(link.c_str()), INVALID_FILE_ATTRIBUTES) << "no link appeared";
}

}  // namespace testsupport
