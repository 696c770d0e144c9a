// The single-instance block: the argument area a secondary packs and the list
// a primary reads back from whatever the shared block holds.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "instance/instance_block.h"
#include "tests/fuzz/fuzz_input.h"

namespace {

std::uint16_t UnitAt(const instance::Block& block, std::size_t index) {
  return static_cast<std::uint16_t>(block[2 * index] | block[2 * index + 1] << 8);
}

// Packing: the arguments are the input's UTF-16 units split at zero units
// (consecutive zeros give empty arguments, as "" does on a command line).
void PackAndRead(const std::uint8_t* data, std::size_t size) {
  const std::wstring units = fuzz::WideText(data, size);
  std::vector<std::wstring> arguments;
  std::size_t needed = 2;
  if (!units.empty()) {
    std::size_t start = 0;
    for (;;) {
      const std::size_t end = units.find(L'\0', start);
      arguments.push_back(units.substr(start, end - start));
      needed += 2 * arguments.back().size() + 2;
      if (end == std::wstring::npos) break;
      start = end + 1;
    }
  }
  const std::optional<instance::ArgumentArea> area = instance::PackArguments(arguments);
  fuzz::Require(area.has_value() == (needed <= instance::kArgumentAreaSize));
  if (!area) return;
  // Nothing but zeros after the list.
  for (std::size_t at = needed - 2; at < area->size(); ++at) fuzz::Require((*area)[at] == 0);

  // The rest of the block holds stale bytes: they must not matter.
  auto block = std::make_unique<instance::Block>();
  block->fill(0xA5);
  std::copy(area->begin(), area->end(), block->begin() + instance::kArgumentAreaOffset);
  const std::vector<std::wstring> read = instance::ReadArguments(*block);

  // The first argument always comes through (an empty list as one empty
  // text); after it, the list ends at the first empty argument.
  std::vector<std::wstring> expected;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    if (i > 0 && arguments[i].empty()) break;
    expected.push_back(arguments[i]);
  }
  if (expected.empty()) expected.push_back(L"");
  fuzz::Require(read == expected);

  // The fields around the area.
  const std::uint32_t value = units.empty() ? 0 : static_cast<std::uint32_t>(units[0]) * 0x10001u;
  for (std::size_t offset : {instance::kListenerThreadIdOffset, instance::kProcessIdOffset, instance::kMessageIdOffset}) {
    instance::WriteField(block->data(), offset, value);
    fuzz::Require(instance::ReadField(block->data(), offset) == value);
  }
  fuzz::Require(instance::ReadArguments(*block) == expected);

  // The name keeps the path (backslashes made underscores) while it fits,
  // else its first characters and a hash, never longer than the longest.
  const std::wstring name = instance::InstanceName(units);
  fuzz::Require(name.find(L'\\') == std::wstring::npos && name.size() <= instance::kLongestPlainName);
  // (The last three units of a short one may be a ".com" ending read as "exe".)
  const std::size_t kept = units.size() <= instance::kLongestPlainName ? (units.size() < 3 ? 0 : units.size() - 3)
                                                                       : instance::kLongestPlainName - 17;
  fuzz::Require(units.size() <= instance::kLongestPlainName || name.size() == instance::kLongestPlainName);
  for (std::size_t i = 0; i < kept; ++i) fuzz::Require(name[i] == (units[i] == L'\\' ? L'_' : units[i]));
  fuzz::Require(instance::InstanceName(units) == name);
}

// Reading: a block of any content, on the heap with nothing after it, so a
// read past its 2092 bytes is caught. The input lands at an offset it
// chooses, over a fill byte it chooses.
void ReadAnyBlock(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return;
  auto block = std::make_unique<instance::Block>();
  block->fill(data[0]);
  const std::size_t offset = (data[1] | data[2] << 8) % instance::kBlockSize;
  for (std::size_t i = 3; i < size && offset + i - 3 < instance::kBlockSize; ++i) (*block)[offset + i - 3] = data[i];
  const std::vector<std::wstring> read = instance::ReadArguments(*block);

  // The texts, each with its zero unit, are the units from offset 12 on, and
  // lie within the walk; only the first may be empty.
  std::size_t index = instance::kArgumentAreaOffset / 2;
  for (std::size_t i = 0; i < read.size(); ++i) {
    fuzz::Require(i == 0 || !read[i].empty());
    for (wchar_t unit : read[i]) {
      fuzz::Require(index < instance::kReadLimitUnit && unit != 0 && UnitAt(*block, index) == unit);
      ++index;
    }
    fuzz::Require(index < instance::kReadLimitUnit && UnitAt(*block, index) == 0);
    ++index;
  }
  // A list read back is what a secondary packing it would hand over.
  if (!read.empty()) {
    if (auto area = instance::PackArguments(read)) {
      auto again = std::make_unique<instance::Block>();
      std::copy(area->begin(), area->end(), again->begin() + instance::kArgumentAreaOffset);
      fuzz::Require(instance::ReadArguments(*again) == read);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  if (data[0] & 1) {
    ReadAnyBlock(data + 1, size - 1);
  } else {
    PackAndRead(data + 1, size - 1);
  }
  return 0;
}
