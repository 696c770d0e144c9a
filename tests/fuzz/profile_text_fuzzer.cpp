// Settings files in long paths, read without the profile reader.
#include "config/profile_text.h"
#include "tests/fuzz/fuzz_input.h"

namespace {

std::wstring Latin1(std::string_view bytes) { return std::wstring(bytes.begin(), bytes.end()); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::wstring text = config::DecodeProfileBytes(bytes, Latin1, Latin1);
  static const wchar_t* const kQueries[][2] = {
      {L"Java Runtime Environment", L"Main Class"}, {L"Application+", L"Cmd"}, {L"S", L""}, {L"", L"K"}};
  for (const auto& query : kQueries) {
    const std::wstring value = config::FindProfileValue(text, query[0], query[1]);
    fuzz::Require(value.find(L'\n') == std::wstring::npos && value.find(L'\r') == std::wstring::npos);
  }
  return 0;
}
