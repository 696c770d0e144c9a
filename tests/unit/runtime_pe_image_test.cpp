// The 32-bit check of a runtime's jvm.dll: the header rules over bytes, and
// the real file reads over whole, truncated and malformed files.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstring>

#include "runtime/pe_image.h"
#include "tests/support/test_files.h"

namespace {

using Bytes = std::vector<unsigned char>;

void Put32(Bytes& b, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<unsigned char>(value >> (8 * i));
}
void Put16(Bytes& b, std::size_t at, std::uint16_t value) {
  b[at] = static_cast<unsigned char>(value);
  b[at + 1] = static_cast<unsigned char>(value >> 8);
}

// A DOS header: "MZ" and e_lfanew, cut to `size` bytes.
Bytes DosHeader(std::size_t size, std::int32_t lfanew) {
  Bytes b(64, 0);
  b[0] = 'M';
  b[1] = 'Z';
  Put32(b, 0x3C, static_cast<std::uint32_t>(lfanew));
  b.resize(size);
  return b;
}

// The signature and the file header's machine, cut to `size` bytes.
Bytes NtHeaders(std::size_t size, std::uint16_t machine, std::uint32_t signature = runtime::kNtSignature) {
  Bytes b(24, 0);
  Put32(b, 0, signature);
  Put16(b, 4, machine);
  b.resize(size);
  return b;
}

TEST(RuntimePeHeaders, OffsetAndMachineOnlyFromWholeHeaders) {
  struct DosCase {
    const char* what;
    Bytes bytes;
    std::optional<std::uint32_t> offset;
  };
  Bytes zm = DosHeader(64, 64);
  std::swap(zm[0], zm[1]);
  const DosCase dosCases[] = {
      {"whole header", DosHeader(64, 128), 128},
      {"e_lfanew right after it", DosHeader(64, 64), 64},
      {"e_lfanew largest", DosHeader(64, 0x7FFFFFFF), 0x7FFFFFFFu},
      {"cut by one byte", DosHeader(63, 64), std::nullopt},
      {"MZ only", Bytes{'M', 'Z'}, std::nullopt},
      {"empty", Bytes{}, std::nullopt},
      {"e_lfanew negative", DosHeader(64, -8), std::nullopt},
      {"e_lfanew most negative", DosHeader(64, INT32_MIN), std::nullopt},
      {"no MZ", zm, std::nullopt},
  };
  for (const DosCase& c : dosCases) EXPECT_EQ(runtime::NtHeadersOffset(c.bytes), c.offset) << c.what;

  struct NtCase {
    const char* what;
    Bytes bytes;
    std::optional<std::uint16_t> machine;
  };
  const NtCase ntCases[] = {
      {"x86", NtHeaders(24, 0x014C), 0x014C},
      {"x64", NtHeaders(24, 0x8664), 0x8664},
      {"file header one byte short", NtHeaders(23, 0x014C), std::nullopt},
      {"signature only", NtHeaders(4, 0x014C), std::nullopt},
      {"no PE signature", NtHeaders(24, 0x014C, 0x00004551), std::nullopt},
  };
  for (const NtCase& c : ntCases) EXPECT_EQ(runtime::ImageMachine(c.bytes), c.machine) << c.what;
}

Bytes ReadWholeFile(const std::wstring& path) {
  Bytes bytes;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  LARGE_INTEGER size{};
  GetFileSizeEx(file, &size);
  bytes.resize(static_cast<std::size_t>(size.QuadPart));
  DWORD read = 0;
  if (!bytes.empty()) ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
  CloseHandle(file);
  bytes.resize(read);
  return bytes;
}

std::size_t LfanewOf(const Bytes& b) {
  std::uint32_t v = 0;
  std::memcpy(&v, b.data() + 0x3C, 4);
  return v;
}

TEST(RuntimePeImageFile, X86OnlyForWholeI386Images) {
  const Bytes x86 = ReadWholeFile(testsupport::BinDir() + L"\\fixtures\\x86\\jvm.dll");
  const Bytes x64 = ReadWholeFile(testsupport::BinDir() + L"\\fixtures\\x64\\jvm.dll");
  ASSERT_GT(x86.size(), 512u) << "the x86 fixture library is missing";
  ASSERT_GT(x64.size(), 512u) << "the x64 fixture library is missing";
  const std::size_t nt = LfanewOf(x86);
  ASSERT_LT(nt + 24, x86.size());

  auto cut = [](const Bytes& b, std::size_t size) { return Bytes(b.begin(), b.begin() + size); };
  auto withLfanew = [](Bytes b, std::uint32_t value) {
    Put32(b, 0x3C, value);
    return b;
  };
  auto withMachine = [](Bytes b, std::uint16_t machine) {
    Put16(b, LfanewOf(b) + 4, machine);
    return b;
  };

  struct Case {
    const char* what;
    Bytes content;
    bool x86;
  };
  const Case cases[] = {
      {"x86 library", x86, true},
      {"x64 library", x64, false},
      {"x86 headers up to the file header", cut(x86, nt + 24), true},
      {"x86 cut inside the file header", cut(x86, nt + 23), false},
      {"x86 cut inside the signature", cut(x86, nt + 2), false},
      {"x86 cut to the DOS header", cut(x86, 64), false},
      {"x86 cut to a few bytes", cut(x86, 3), false},
      {"e_lfanew at the end", withLfanew(x86, static_cast<std::uint32_t>(x86.size())), false},
      {"e_lfanew far past the end", withLfanew(x86, 0x7FFFFFF0), false},
      {"e_lfanew negative", withLfanew(x86, 0xFFFFFFFC), false},
      {"e_lfanew 10 bytes before the end", withLfanew(x86, static_cast<std::uint32_t>(x86.size() - 10)), false},
      {"x86 with an x64 machine", withMachine(x86, 0x8664), false},
      {"x64 with an x86 machine", withMachine(x64, 0x014C), true},
      {"one byte", Bytes{'M'}, false},
      {"MZ only", Bytes{'M', 'Z'}, false},
      {"text", Bytes{'h', 'e', 'l', 'l', 'o', '\n'}, false},
  };
  testsupport::TempFolder folder;
  int n = 0;
  for (const Case& c : cases) {
    std::wstring path = folder / (L"case" + std::to_wstring(n++) + L".dll");
    testsupport::WriteBinaryFile(path, c.content);
    EXPECT_EQ(runtime::IsX86Image(path), c.x86) << c.what << " (" << c.content.size() << " bytes)";
  }
}

TEST(RuntimePeImageFile, UnreadablePathsAreNotX86) {
  testsupport::TempFolder folder;
  testsupport::WriteBinaryFile(folder / L"empty.dll", {});
  EXPECT_FALSE(runtime::IsX86Image(folder / L"empty.dll")) << "empty file";
  EXPECT_FALSE(runtime::IsX86Image(folder / L"missing.dll")) << "missing file";
  EXPECT_FALSE(runtime::IsX86Image(folder.path())) << "a folder";
  EXPECT_FALSE(runtime::IsX86Image(L"")) << "empty path";

  // A library held open for writing elsewhere cannot be opened for sharing.
  std::wstring locked = folder / L"locked.dll";
  testsupport::CopyFileTo(testsupport::BinDir() + L"\\fixtures\\x86\\jvm.dll", locked);
  ASSERT_TRUE(runtime::IsX86Image(locked));
  HANDLE writer = CreateFileW(locked.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              0, nullptr);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(runtime::IsX86Image(locked)) << "a file open for writing elsewhere";
  CloseHandle(writer);
}

// Another program may cut the library short at any moment: a Unix process
// under Wine does, whatever the Windows sharing modes say. Here a shell keeps
// emptying the file and writing it again while the check runs over it; the
// check must answer every time, never fault on a part of the file it lost.
TEST(RuntimePeImageFile, FileCutShortWhileItIsReadIsNoFault) {
  using UnixName = char*(CDECL*)(const wchar_t*);
  auto unixName = reinterpret_cast<UnixName>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  if (unixName == nullptr) GTEST_SKIP() << "needs Wine: a Unix process cuts the file";
  auto unix = [&](const std::wstring& path) {
    char* name = unixName(path.c_str());
    std::string text = name != nullptr ? name : "";
    HeapFree(GetProcessHeap(), 0, name);
    return std::wstring(text.begin(), text.end());
  };

  // The x86 headers with the NT headers 1 MB into a 2 MB file.
  const Bytes x86 = ReadWholeFile(testsupport::BinDir() + L"\\fixtures\\x86\\jvm.dll");
  ASSERT_GT(x86.size(), 512u) << "the x86 fixture library is missing";
  const std::size_t at = 1 << 20;
  Bytes whole(2 << 20, 0);
  std::copy(x86.begin(), x86.begin() + 64, whole.begin());
  Put32(whole, 0x3C, static_cast<std::uint32_t>(at));
  std::copy(x86.begin() + LfanewOf(x86), x86.begin() + LfanewOf(x86) + 24, whole.begin() + at);
  testsupport::TempFolder folder;
  const std::wstring library = folder / L"jvm.dll", source = folder / L"whole.dll", running = folder / L"running";
  testsupport::WriteBinaryFile(source, whole);
  testsupport::WriteBinaryFile(library, whole);
  testsupport::WriteBinaryFile(running, {});
  ASSERT_TRUE(runtime::IsX86Image(library));

  const std::wstring stopped = folder / L"stopped";
  // The shell also stops by itself after a while, should this test die.
  std::wstring command = L"/bin/sh -c \"n=0; while [ -e '" + unix(running) + L"' ] && [ $n -lt 20000 ]; do " +
                        L"n=$((n+1)); : > '" + unix(library) + L"'; cat '" + unix(source) + L"' > '" +
                        unix(library) + L"'; done; : > '" + unix(stopped) + L"'\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION cutter{};  // Wine gives no handles for a Unix process
  ASSERT_TRUE(CreateProcessW(L"/bin/sh", command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                             &cutter))
      << "cannot start the shell, error " << GetLastError();
  // True or false as the file stands at that moment; a fault ends the program.
  for (int i = 0; i < 3000; ++i) runtime::IsX86Image(library);
  DeleteFileW(running.c_str());
  for (ULONGLONG end = GetTickCount64() + 60000; !testsupport::FileExists(stopped) && GetTickCount64() < end;) {
    Sleep(20);
  }
  ASSERT_TRUE(testsupport::FileExists(stopped)) << "the shell did not stop";
  EXPECT_TRUE(runtime::IsX86Image(library)) << "the whole file again";
}

}  // namespace
