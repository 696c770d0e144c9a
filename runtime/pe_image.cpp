#include "runtime/pe_image.h"

#include <windows.h>

#include "common/win_handles.h"

namespace runtime {
namespace {

std::uint32_t ReadLittle32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::uint16_t ReadLittle16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

// Exactly `buffer.size()` bytes from `offset`; false when the file ends first.
bool ReadAt(HANDLE file, std::uint64_t offset, std::span<unsigned char> buffer) {
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  DWORD read = 0;
  return ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &read, &at) && read == buffer.size();
}

}  // namespace

std::optional<std::uint32_t> NtHeadersOffset(std::span<const unsigned char> dosHeader) {
  if (dosHeader.size() < kDosHeaderSize) return std::nullopt;
  if (ReadLittle16(dosHeader.data()) != kDosSignature) return std::nullopt;
  // e_lfanew is a signed LONG: a negative value points before the file.
  auto lfanew = static_cast<std::int32_t>(ReadLittle32(dosHeader.data() + 0x3C));
  if (lfanew < 0) return std::nullopt;
  return static_cast<std::uint32_t>(lfanew);
}

std::optional<std::uint16_t> ImageMachine(std::span<const unsigned char> ntHeaders) {
  if (ntHeaders.size() < kNtHeadersMinimum) return std::nullopt;
  if (ReadLittle32(ntHeaders.data()) != kNtSignature) return std::nullopt;
  return ReadLittle16(ntHeaders.data() + 4);  // IMAGE_FILE_HEADER.Machine
}

std::optional<std::uint16_t> ReadImageMachine(const std::wstring& path) {
  win::FileHandle file(
      CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  // Only the two headers are read, into buffers of their own: a file that is
  // cut short meanwhile gives a short read, where a mapped view of it would
  // fault on the pages it lost.
  unsigned char dos[kDosHeaderSize];
  if (!ReadAt(file.get(), 0, dos)) return std::nullopt;
  std::optional<std::uint32_t> offset = NtHeadersOffset(dos);
  if (!offset) return std::nullopt;
  unsigned char nt[kNtHeadersMinimum];
  if (!ReadAt(file.get(), *offset, nt)) return std::nullopt;
  return ImageMachine(nt);
}

bool IsX86Image(const std::wstring& path) { return ReadImageMachine(path) == kMachineI386; }

}  // namespace runtime
