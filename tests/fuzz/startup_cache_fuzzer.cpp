// The startup cache's rules over outside text: a variable of VM options as
// the runtime splits it, and the whole choice for options, variables and
// product names made of the same text.
#include "jvm/startup_cache.h"
#include "tests/fuzz/fuzz_input.h"

namespace {

class Folder : public jvm::CacheFolder {
 public:
  explicit Folder(unsigned bits) : bits_(bits) {}
  const wchar_t* MakeWritable(const std::wstring&) override { return bits_ & 1 ? L"no folder" : nullptr; }
  bool Holds(const std::wstring&) override { return bits_ & 2; }
  bool FindsFolder(const std::wstring& pattern) override { return pattern.size() % 3 == 0; }
  std::uint64_t FreeBytes(const std::wstring&) override { return bits_ & 4 ? 0 : jvm::kCacheRoomBytes; }
  bool Exists(const std::wstring&) override { return bits_ & 8; }

 private:
  unsigned bits_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const unsigned bits = size > 0 ? data[0] : 0;
  const std::wstring text = fuzz::WideText(size > 0 ? data + 1 : data, size > 0 ? size - 1 : 0);
  const std::vector<std::wstring> split = jvm::EnvironmentVmOptions(text);
  std::size_t units = 0;
  for (const std::wstring& option : split) units += option.size();
  fuzz::Require(units <= text.size());
  const std::wstring folder =
      jvm::StartupCacheFolder(L"C:\\Users\\u\\AppData\\Local", text, text.substr(text.size() / 2), L"C:\\app\\a.exe");
  fuzz::Require(folder.find(L';') == std::wstring::npos && folder.find(L"\\..\\") == std::wstring::npos);
  std::vector<std::wstring> options = {L"-Djava.class.path=" + text};
  options.insert(options.end(), split.begin(), split.end());
  const std::size_t before = options.size();
  Folder disk(bits);
  jvm::StartupCacheFiles files;
  const wchar_t* off = jvm::AddStartupCacheOptions(options, bits >> 4 ? 13 + (bits >> 4) : 0, bits & 16, bits & 32,
                                                   folder, L"1", {text}, disk, files, {{L"JAVA_TOOL_OPTIONS", text}});
  fuzz::Require(off != nullptr ? options.size() == before && files.written.empty()
                               : options.size() > before && !files.file.empty());
  return 0;
}
