// The embedded settings: the enciphered block read from the executable, and
// the settings text parser.
#include "config/embedded_settings.h"
#include "config/settings_cipher.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The bytes as a stored block (any damage must give no text, never a fault).
  config::DecipherSettings(data, size, L"{FUZZ-KEY}");

  const std::wstring text = fuzz::WideText(data, size);
  config::EmbeddedSettings settings;
  settings.Parse(text);
  for (const auto& section : settings.sections) {
    for (const auto& entry : section.entries) {
      fuzz::Require(entry.value.find(L'\0') == std::wstring::npos);
      settings.Find(section.name, entry.key);
    }
  }
  settings.Find(L"Java Runtime Environment", L"Main Class");

  // A text enciphered with a key comes back whole with that key only.
  const auto block = config::EncipherSettings(text, L"{FUZZ-KEY}");
  const auto back = config::DecipherSettings(block.data(), block.size(), L"{FUZZ-KEY}");
  fuzz::Require(back.has_value() && *back == text);
  return 0;
}
