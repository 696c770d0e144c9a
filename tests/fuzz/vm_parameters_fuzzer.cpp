// "Virtual Machine Parameters": splitting, quotes, size numbers, memory
// directives and the stack size, as composed into the option texts.
#include <cstring>

#include "jvm/vm_options.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  jvm::MemoryFigures memory;
  if (size >= 16) {
    std::memcpy(&memory.totalPhysical, data, 8);
    std::memcpy(&memory.availableVirtual, data + 8, 8);
    data += 16;
    size -= 16;
  }
  const std::wstring text = fuzz::WideText(data, size);
  for (const std::wstring& token : jvm::SplitVmParameters(text)) {
    fuzz::Require(!token.empty());
    const std::wstring stripped = jvm::StripQuotes(token);
    fuzz::Require(stripped.size() <= token.size());
    jvm::ParseSizeNumbers(stripped);
    if (jvm::IsMemoryDirective(stripped)) jvm::ExpandMemoryDirective(stripped, memory);
    jvm::StackSizeFromXss(stripped);
  }
  std::uint64_t stackSize = 0;
  jvm::ComposeVmOptionTexts(L"a.jar;", text, memory, stackSize);
  return 0;
}
