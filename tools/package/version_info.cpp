#include "tools/package/version_info.h"

namespace package {
namespace {

constexpr std::uint16_t kBinary = 0;
constexpr std::uint16_t kText = 1;

// One block of the format: length, value length, type, key, padding, value,
// padding, children. The length counts everything but trailing padding.
struct Block {
  std::u16string key;
  std::uint16_t type = kText;
  Bytes value;
  std::uint16_t valueLength = 0;  // in bytes for binary values, in characters for text
  std::vector<Block> children;

  void WriteTo(Bytes& out) const {
    PadTo(out, 4);
    std::size_t start = out.size();
    Put16(out, 0);  // length, set below
    Put16(out, valueLength);
    Put16(out, type);
    for (char16_t c : key) Put16(out, c);
    Put16(out, 0);
    PadTo(out, 4);
    out.insert(out.end(), value.begin(), value.end());
    for (const auto& child : children) child.WriteTo(out);
    Set16(out, start, static_cast<std::uint32_t>(out.size() - start));
  }
};

Block TextValue(const std::u16string& key, const std::u16string& value) {
  Block b{key, kText, {}, static_cast<std::uint16_t>(value.size() + 1), {}};
  for (char16_t c : value) Put16(b.value, c);
  Put16(b.value, 0);
  return b;
}

std::uint32_t High(const FourPartVersion& v) { return (std::uint32_t{v[0]} << 16) | v[1]; }
std::uint32_t Low(const FourPartVersion& v) { return (std::uint32_t{v[2]} << 16) | v[3]; }

}  // namespace

std::optional<FourPartVersion> ParseFourPartVersion(std::string_view text) {
  FourPartVersion v{};
  std::size_t part = 0;
  std::size_t i = 0;
  while (part < 4) {
    std::uint32_t n = 0;
    std::size_t digits = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
      n = n * 10 + static_cast<std::uint32_t>(text[i++] - '0');
      if (++digits > 5 || n > 0xFFFF) return std::nullopt;
    }
    if (digits == 0) return std::nullopt;
    v[part++] = static_cast<std::uint16_t>(n);
    if (part < 4) {
      if (i >= text.size() || text[i] != '.') return std::nullopt;
      ++i;
    }
  }
  if (i != text.size()) return std::nullopt;
  return v;
}

Bytes BuildVersionInfo(const VersionInfo& info) {
  Block root{u"VS_VERSION_INFO", kBinary, {}, 52, {}};
  for (std::uint32_t field : {0xFEEF04BDu, 0x00010000u, High(info.fileVersion), Low(info.fileVersion),
                              High(info.productVersion), Low(info.productVersion),
                              0x3Fu,         // flags mask
                              0u,            // flags
                              0x00040004u,   // VOS_NT_WINDOWS32
                              1u,            // VFT_APP
                              0u, 0u, 0u}) {  // subtype, date
    Put32(root.value, field);
  }
  Block table{u"040904B0", kText, {}, 0, {}};
  for (const auto& [name, value] : info.strings) table.children.push_back(TextValue(name, value));
  root.children.push_back(Block{u"StringFileInfo", kText, {}, 0, {table}});
  Block translation{u"Translation", kBinary, {}, 4, {}};
  Put16(translation.value, kVersionLanguage);
  Put16(translation.value, kVersionCodePage);
  root.children.push_back(Block{u"VarFileInfo", kText, {}, 0, {translation}});
  Bytes out;
  root.WriteTo(out);
  return out;
}

}  // namespace package
