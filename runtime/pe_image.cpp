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

using ImageNtHeaderFn = PIMAGE_NT_HEADERS(WINAPI*)(PVOID);

}  // namespace

std::optional<std::size_t> NtHeadersOffset(std::span<const unsigned char> image) {
  if (image.size() < kDosHeaderSize) return std::nullopt;
  if (ReadLittle16(image.data()) != kDosSignature) return std::nullopt;
  // e_lfanew is a signed LONG: a negative value points before the image.
  auto lfanew = static_cast<std::int32_t>(ReadLittle32(image.data() + 0x3C));
  if (lfanew < 0) return std::nullopt;
  auto offset = static_cast<std::size_t>(lfanew);
  if (offset > image.size() || image.size() - offset < kNtHeadersMinimum) return std::nullopt;
  return offset;
}

std::optional<std::uint16_t> ImageMachine(std::span<const unsigned char> image, std::size_t offset) {
  if (offset > image.size() || image.size() - offset < kNtHeadersMinimum) return std::nullopt;
  const unsigned char* headers = image.data() + offset;
  if (ReadLittle32(headers) != kNtSignature) return std::nullopt;
  return ReadLittle16(headers + 4);  // IMAGE_FILE_HEADER.Machine
}

bool IsX86Image(const std::wstring& path) {
  win::FileHandle file(
      CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  LARGE_INTEGER fileSize{};
  if (!GetFileSizeEx(file.get(), &fileSize) || fileSize.QuadPart <= 0) return false;
  if (static_cast<unsigned long long>(fileSize.QuadPart) > SIZE_MAX) return false;
  win::Handle mapping(CreateFileMappingW(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
  if (!mapping) return false;
  win::MappedView view(MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0));
  if (!view) return false;

  std::span<const unsigned char> image(static_cast<const unsigned char*>(view.get()),
                                       static_cast<std::size_t>(fileSize.QuadPart));
  // The headers are checked against the file's size before ImageNtHeader
  // reads them, and what it returns is checked again.
  std::optional<std::size_t> expected = NtHeadersOffset(image);
  if (!expected) return false;

  // Loaded by its full path in the system folder, so a Dbghelp.dll planted
  // beside the application is never the one that runs.
  wchar_t system[MAX_PATH] = {};
  UINT length = GetSystemDirectoryW(system, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return false;
  win::Library dbghelp(LoadLibraryW((std::wstring(system, length) + L"\\Dbghelp.dll").c_str()));
  if (!dbghelp) return false;
  auto imageNtHeader = reinterpret_cast<ImageNtHeaderFn>(GetProcAddress(dbghelp.get(), "ImageNtHeader"));
  if (imageNtHeader == nullptr) return false;
  auto* headers = reinterpret_cast<const unsigned char*>(imageNtHeader(const_cast<unsigned char*>(image.data())));
  if (headers == nullptr || headers < image.data() || headers >= image.data() + image.size()) return false;

  std::optional<std::uint16_t> machine = ImageMachine(image, static_cast<std::size_t>(headers - image.data()));
  // The view, the mapping and the file close in that order as their owners go.
  return machine && *machine == kMachineI386;
}

}  // namespace runtime
