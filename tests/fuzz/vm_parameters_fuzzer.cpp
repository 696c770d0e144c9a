// "Virtual Machine Parameters": splitting, quotes, size numbers, memory
// directives, the stack size and the joining of two-token module options, as
// composed into the option texts; the module path and sun.java.command.
#include <cstring>

#include "jvm/module_options.h"
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
  const std::vector<std::wstring> tokens = jvm::SplitVmParameters(text);
  for (const std::wstring& token : tokens) {
    fuzz::Require(!token.empty());
    const std::wstring stripped = jvm::StripQuotes(token);
    fuzz::Require(stripped.size() <= token.size());
    jvm::ParseSizeNumbers(stripped);
    if (jvm::IsMemoryDirective(stripped)) jvm::ExpandMemoryDirective(stripped, memory);
    jvm::StackSizeFromXss(stripped);
  }
  std::uint64_t stackSize = 0;
  // The class path option, then every token, two-token module options joined.
  const std::vector<std::wstring> texts = jvm::ComposeVmOptionTexts(L"a.jar;", L"", L"", text, memory, stackSize);
  fuzz::Require(texts.size() >= 1 + (tokens.size() + 1) / 2 && texts.size() <= 1 + tokens.size());
  const std::wstring modulePath =
      jvm::ComposeModulePath(text, L"C:\\app\\", [](const std::wstring& path) { return path.size() % 2 == 0; },
                             [](std::wstring_view entry) { return std::wstring(entry.substr(entry.size() / 2)); });
  fuzz::Require(modulePath.empty() || modulePath.back() != L';');
  jvm::SetsSunJavaCommand(text);
  jvm::SunJavaCommandOption(text, text, tokens);
  return 0;
}
