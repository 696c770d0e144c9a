#include "instance/instance_block.h"

#include "common/text.h"

namespace instance {

// Literals as views: their length is known when the launcher is built.
using namespace std::string_view_literals;

std::wstring ProgramPath(std::wstring_view executablePath) {
  std::wstring path(executablePath);
  if (path.size() > 4 && text::EqualsIgnoreCase(std::wstring_view(path).substr(path.size() - 4), L".com"sv)) {
    path.replace(path.size() - 3, 3, L"exe");
  }
  return path;
}

std::wstring InstanceName(std::wstring_view executablePath) {
  std::wstring name = ProgramPath(executablePath);
  std::uint64_t hash = 0xcbf29ce484222325;  // FNV-1a, a UTF-16 unit at a time
  for (wchar_t& c : name) {
    hash = (hash ^ static_cast<std::uint16_t>(c)) * 0x100000001b3;
    if (c == L'\\') c = L'_';
  }
  if (name.size() <= kLongestPlainName) return name;
  name.resize(kLongestPlainName - 17);
  name += L'_';
  for (int digit = 60; digit >= 0; digit -= 4) name += L"0123456789abcdef"[(hash >> digit) & 0xF];
  return name;
}

std::uint64_t PackedArgumentsSize(const std::vector<std::wstring>& arguments) {
  std::uint64_t needed = 2;  // the list's final zero unit
  for (const std::wstring& argument : arguments) needed += 2 * std::uint64_t{argument.size()} + 2;
  return needed;
}

std::optional<ArgumentArea> PackArguments(const std::vector<std::wstring>& arguments) {
  if (PackedArgumentsSize(arguments) > kArgumentAreaSize) return std::nullopt;
  ArgumentArea area{};
  std::size_t at = 0;
  for (const std::wstring& argument : arguments) {
    for (wchar_t unit : argument) {
      const auto value = static_cast<std::uint16_t>(unit);
      area[at++] = static_cast<std::uint8_t>(value & 0xFF);
      area[at++] = static_cast<std::uint8_t>(value >> 8);
    }
    at += 2;  // the zero unit the zeroing already wrote
  }
  return area;
}

std::vector<std::wstring> ReadArguments(const Block& block) {
  auto unitAt = [&block](std::size_t index) -> std::uint16_t {
    return static_cast<std::uint16_t>(block[2 * index] | (block[2 * index + 1] << 8));
  };
  std::vector<std::wstring> list;
  std::wstring current;
  for (std::size_t index = kArgumentAreaOffset / 2; index < kReadLimitUnit; ++index) {
    const std::uint16_t unit = unitAt(index);
    if (unit != 0) {
      current.push_back(static_cast<wchar_t>(unit));
      continue;
    }
    list.push_back(std::move(current));
    current.clear();
    if (unitAt(index + 1) == 0) break;
  }
  return list;
}

std::uint32_t ReadField(const std::uint8_t* block, std::size_t offset) {
  return static_cast<std::uint32_t>(block[offset]) | static_cast<std::uint32_t>(block[offset + 1]) << 8 |
         static_cast<std::uint32_t>(block[offset + 2]) << 16 | static_cast<std::uint32_t>(block[offset + 3]) << 24;
}

void WriteField(std::uint8_t* block, std::size_t offset, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i) block[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace instance
