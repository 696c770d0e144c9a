// Environment references in settings values.
#include "common/expansion.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::wstring text = fuzz::WideText(data, size);
  const text::VariableLookup lookup = [](std::wstring_view name) -> std::optional<std::wstring> {
    if (name == L"A") return L"%A%";  // a value that looks like a reference is not expanded again
    if (name == L"Path") return L"C:\\p;D:\\q";
    if (name == L"E") return L"";
    return std::nullopt;
  };
  const std::wstring expanded = text::ExpandReferences(text, lookup);
  // Without any "%" the text comes back unchanged.
  if (text.find(L'%') == std::wstring::npos) fuzz::Require(expanded == text);
  return 0;
}
