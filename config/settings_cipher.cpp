#include "config/settings_cipher.h"

#include <cstring>

namespace config {
namespace {

constexpr std::uint8_t kMagic[4] = {'V', 'S', 'E', 'T'};
constexpr std::uint32_t kFormat = 1;
constexpr std::size_t kHeader = 20;

struct Fnv64 {
  std::uint64_t hash = 14695981039346656037ull;
  void Add(std::uint8_t b) {
    hash ^= b;
    hash *= 1099511628211ull;
  }
  void AddUnits(std::wstring_view s) {
    for (wchar_t c : s) {
      Add(static_cast<std::uint8_t>(c & 0xFF));
      Add(static_cast<std::uint8_t>((c >> 8) & 0xFF));
    }
  }
};

class KeyStream {
 public:
  explicit KeyStream(std::wstring_view key) {
    Fnv64 f;
    f.AddUnits(key);
    state_ = f.hash;
  }
  std::uint8_t Next() {
    if (used_ == 8) {
      state_ += 0x9E3779B97F4A7C15ull;
      std::uint64_t z = state_;
      z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
      z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
      block_ = z ^ (z >> 31);
      used_ = 0;
    }
    return static_cast<std::uint8_t>(block_ >> (8 * used_++));
  }

 private:
  std::uint64_t state_ = 0;
  std::uint64_t block_ = 0;
  int used_ = 8;
};

std::uint64_t Check(std::wstring_view key, const std::uint8_t* text, std::size_t size) {
  Fnv64 f;
  f.AddUnits(key);
  f.Add(0);
  for (std::size_t i = 0; i < size; ++i) f.Add(text[i]);
  return f.hash;
}

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

std::uint64_t GetLe(const std::uint8_t* p, int bytes) {
  std::uint64_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}

}  // namespace

std::vector<std::uint8_t> EncipherSettings(std::wstring_view settingsText, std::wstring_view upgradeCode) {
  std::vector<std::uint8_t> plain;
  plain.reserve(settingsText.size() * 2);
  for (wchar_t c : settingsText) {
    plain.push_back(static_cast<std::uint8_t>(c & 0xFF));
    plain.push_back(static_cast<std::uint8_t>((c >> 8) & 0xFF));
  }
  std::vector<std::uint8_t> out(kMagic, kMagic + 4);
  PutU32(out, kFormat);
  PutU32(out, static_cast<std::uint32_t>(plain.size()));
  std::uint64_t check = Check(upgradeCode, plain.data(), plain.size());
  PutU32(out, static_cast<std::uint32_t>(check));
  PutU32(out, static_cast<std::uint32_t>(check >> 32));
  KeyStream keys(upgradeCode);
  for (std::uint8_t b : plain) out.push_back(b ^ keys.Next());
  return out;
}

std::optional<std::wstring> DecipherSettings(const std::uint8_t* data, std::size_t size,
                                             std::wstring_view upgradeCode) {
  if (data == nullptr || size < kHeader) return std::nullopt;
  if (std::memcmp(data, kMagic, 4) != 0 || GetLe(data + 4, 4) != kFormat) return std::nullopt;
  std::uint64_t length = GetLe(data + 8, 4);
  if (length % 2 != 0 || length > size - kHeader) return std::nullopt;
  // Deciphered straight into the text, the check summed on the way.
  KeyStream keys(upgradeCode);
  Fnv64 check;
  check.AddUnits(upgradeCode);
  check.Add(0);
  std::wstring textOut(length / 2, L'\0');
  for (std::size_t i = 0; i < length; ++i) {
    const std::uint8_t b = data[kHeader + i] ^ keys.Next();
    check.Add(b);
    textOut[i / 2] |= static_cast<wchar_t>(b << (8 * (i % 2)));
  }
  if (check.hash != GetLe(data + 12, 8)) return std::nullopt;
  return textOut;
}

}  // namespace config
