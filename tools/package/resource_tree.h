// The resources of a PE image as a flat list (type, name, language, data),
// read from and written to the resource section's directory format.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "tools/package/bytes.h"

namespace package {

// A resource type or name: a number, or a text when `text` is non-empty.
struct ResourceId {
  std::uint16_t number = 0;
  std::u16string text;

  static ResourceId Number(std::uint16_t n) { return ResourceId{n, {}}; }
  bool IsText() const { return !text.empty(); }
  bool operator==(const ResourceId&) const = default;
};

struct Resource {
  ResourceId type;
  ResourceId name;
  std::uint16_t language = 0;
  std::uint32_t codePage = 0;
  Bytes data;
};

namespace resource_type {
inline constexpr std::uint16_t kIcon = 3;
inline constexpr std::uint16_t kString = 6;
inline constexpr std::uint16_t kDialog = 5;
inline constexpr std::uint16_t kRcData = 10;
inline constexpr std::uint16_t kGroupIcon = 14;
inline constexpr std::uint16_t kVersion = 16;
inline constexpr std::uint16_t kManifest = 24;
}  // namespace resource_type

struct ResourceTree {
  std::vector<Resource> resources;

  // The resources of a section whose bytes are `section`, loaded at
  // `sectionRva`, with the directory at its start. None when the directory is
  // damaged (out of range, looping or deeper than three levels).
  static std::optional<ResourceTree> Read(const Bytes& section, std::uint32_t sectionRva);
  // The section bytes for these resources when loaded at `sectionRva`.
  Bytes Write(std::uint32_t sectionRva) const;

  const Resource* Find(std::uint16_t type, const ResourceId& name) const;
  bool Has(std::uint16_t type) const;
  void Remove(std::uint16_t type);
  void Remove(std::uint16_t type, const ResourceId& name);
};

}  // namespace package
