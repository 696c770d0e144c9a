// Turning a fuzzer's bytes into the launcher's inputs: wide text is read as
// UTF-16LE units, as the launcher's texts are on Windows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzz {

inline std::wstring WideText(const std::uint8_t* data, std::size_t size) {
  std::wstring text;
  text.reserve(size / 2);
  for (std::size_t i = 0; i + 1 < size; i += 2) text += static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
  return text;
}

// Stops the run with a finding when a property of a rule does not hold.
inline void Require(bool holds) {
  if (!holds) __builtin_trap();
}

}  // namespace fuzz
