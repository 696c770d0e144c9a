// The user's own VM options file: when it is read, and what its bytes give.
#include <gtest/gtest.h>

#include "config/settings_store.h"
#include "jvm/user_vm_options.h"

namespace {

using Options = std::vector<std::wstring>;

// UTF-16 with its byte-order mark, little- or big-endian.
std::string Utf16(std::wstring_view text, bool little = true) {
  std::string bytes = little ? "\xFF\xFE" : "\xFE\xFF";
  for (wchar_t c : text) {
    const char low = static_cast<char>(c & 0xFF), high = static_cast<char>(c >> 8);
    bytes += little ? low : high;
    bytes += little ? high : low;
  }
  return bytes;
}

// `count` numbered options, as lines and as the options they give.
std::string Lines(std::size_t count) {
  std::string text;
  for (std::size_t i = 0; i < count; ++i) text += "-Dn=" + std::to_string(i) + "\n";
  return text;
}
Options Numbered(std::size_t count) {
  Options options;
  for (std::size_t i = 0; i < count; ++i) options.push_back(L"-Dn=" + std::to_wstring(i));
  return options;
}

TEST(UserVmOptionsFile, GivesTrimmedLinesInOrderAfterTheOthersOrNothingWithAReason) {
  const struct {
    std::string bytes;
    Options options;  // after the configured option
    const char* problem;
  } cases[] = {
      {"", {}, nullptr},
      {"-Xmx4g\r\n-Dfile.encoding=UTF-8", {L"-Xmx4g", L"-Dfile.encoding=UTF-8"}, nullptr},
      // Comments, blank lines, surrounding blanks; inner spaces stay.
      {"# memory\n\n  \t-Xmx4g \r\n   # -Xmx1g\n\t-Dspaced=a b  \n\n", {L"-Xmx4g", L"-Dspaced=a b"}, nullptr},
      {"-Da#b\n-Db", {L"-Da#b", L"-Db"}, nullptr},
      {"-Da\r-Db\r\r\n-Dc", {L"-Da", L"-Db", L"-Dc"}, nullptr},  // a lone carriage return ends a line
      // The percentage forms of the memory directives: 50% of 8 GiB.
      {"-Xmx50P\n-Xss1:0:2P", {L"-Xmx4194304K", L"-Xss2048K"}, nullptr},
      // UTF-8 with and without its mark, UTF-16 either way round.
      {"\xEF\xBB\xBF-Dname=gr\xC3\xBC\xC3\x9F\n-Dx=\xF0\x9F\x98\x80", {L"-Dname=gr\u00FC\u00DF", L"-Dx=\U0001F600"}, nullptr},
      {"-Dname=\xE2\x82\xAC", {L"-Dname=\u20AC"}, nullptr},
      {Utf16(L"# c\r\n-Xmx2g\r\n-Dname=\u20AC\r\n"), {L"-Xmx2g", L"-Dname=\u20AC"}, nullptr},
      {Utf16(L"-Xss2m\n", false), {L"-Xss2m"}, nullptr},
      // Malformed text: nothing is used.
      {"-Xmx4g\n-Dname=\xFC", {}, "malformed"},
      {"\xEF\xBB\xBF-Dname=\xC0\xAF", {}, "malformed"},  // overlong
      {"-Dname=\xED\xA0\x80", {}, "malformed"},            // surrogate
      {"-Dname=\xF4\x90\x80\x80", {}, "malformed"},        // beyond U+10FFFF
      {"-Dname=\xE2\x82", {}, "malformed"},                // cut short
      {std::string("-Xmx4g\n-Da\0b", 12), {}, "malformed"},
      {Utf16(std::wstring(L"-Da\0", 4)), {}, "malformed"},
      // Bounds: 1,000 options and 64 KB.
      {Lines(1000) + "# comments do not count\n", Numbered(1000), nullptr},
      {Lines(1001), {}, "too large"},
      {"-Da\n" + std::string(65536 - 4, ' '), {L"-Da"}, nullptr},
      {"-Da\n" + std::string(65536 - 3, ' '), {}, "too large"},
  };
  const jvm::MemoryFigures memory{8ull << 30, 1ull << 40};
  for (const auto& c : cases) {
    Options texts = {L"-Dconfigured=1"};
    std::uint64_t stackSize = 7;
    const char* problem = jvm::AppendFileVmOptions(texts, c.bytes, config::FromUtf8, memory, stackSize);
    EXPECT_EQ(std::string(problem == nullptr ? "" : problem), std::string(c.problem == nullptr ? "" : c.problem))
        << testing::PrintToString(c.bytes.substr(0, 40));
    Options expected = {L"-Dconfigured=1"};
    expected.insert(expected.end(), c.options.begin(), c.options.end());
    EXPECT_EQ(texts, expected) << testing::PrintToString(c.bytes.substr(0, 40));
    // -Xss (2 MiB in both cases) sets the Java thread's stack; an unused file leaves it alone.
    const bool setsStack = c.problem == nullptr && texts.back().starts_with(L"-Xss");
    EXPECT_EQ(stackSize, setsStack ? 2097152u : 7u) << testing::PrintToString(c.bytes.substr(0, 40));
  }
}

TEST(UserVmOptionsFile, IsReadOnlyWhenTurnedOnForAnOrdinaryUnelevatedProcess) {
  const struct {
    std::wstring setting;
    bool service, elevated;
    const char* refusal;
  } cases[] = {
      {L"Yes", false, false, nullptr},   {L"YES", false, false, nullptr},
      {L"yes", false, false, nullptr},   {L"", false, false, "off"},
      {L"No", false, false, "off"},     {L"true", false, false, "off"},
      {L"Yes", true, false, "service"}, {L"Yes", false, true, "elevated"},
      {L"", true, true, "off"},
  };
  for (const auto& c : cases) {
    const char* refusal = jvm::UserVmOptionsRefusal(c.setting, c.service, c.elevated);
    EXPECT_EQ(std::string(refusal == nullptr ? "" : refusal), std::string(c.refusal == nullptr ? "" : c.refusal))
        << testing::PrintToString(c.setting) << " service " << c.service << " elevated " << c.elevated;
  }
}

}  // namespace
