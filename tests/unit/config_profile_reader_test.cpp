// The launcher's own reader of settings files against the platform's profile
// reader: both read the same files, and every value must come out the same,
// also where the launcher reads a file in a path the profile reader cannot open.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/settings_store.h"
#include "tests/support/test_files.h"

namespace {

using testsupport::TempFolder;

std::string Bytes(std::wstring_view text, bool bigEndian) {
  std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (wchar_t c : text) {
    const char low = static_cast<char>(c & 0xFF), high = static_cast<char>((c >> 8) & 0xFF);
    out += bigEndian ? high : low;
    out += bigEndian ? low : high;
  }
  return out;
}
// Bytes with NULs in them.
template <size_t N>
std::string Raw(const char (&bytes)[N]) {
  return std::string(bytes, N - 1);
}
std::string Utf16(std::wstring_view text) { return Bytes(text, false); }
std::string Utf16Be(std::wstring_view text) { return Bytes(text, true); }

// The profile reader's value, grown until it fits.
std::wstring PlatformValue(const std::wstring& file, const std::wstring& section, const std::wstring& key) {
  std::vector<wchar_t> buffer(64);
  for (;;) {
    DWORD count = GetPrivateProfileStringW(section.c_str(), key.c_str(), L"", buffer.data(),
                                           static_cast<DWORD>(buffer.size()), file.c_str());
    if (count + 1 < buffer.size()) return std::wstring(buffer.data(), count);
    buffer.assign(buffer.size() * 2, L'\0');
  }
}

TEST(ProfileReader, ReadsWhatTheProfileReaderReads) {
  const std::wstring kLong(3000, L'v');
  const struct {
    const char* what;
    std::string bytes;
    std::wstring valueOfSK;  // what the profile reader gives for [S] K
  } files[] = {
      {"UTF-16LE", Utf16(L"[S]\r\nK=v\u65E5\r\n"), L"v\u65E5"},
      {"UTF-16BE", Utf16Be(L"[S]\r\nK=v\u65E5\r\n"), L"v\u65E5"},
      {"UTF-16 without a mark", Raw("[\0S\0]\0\r\0\n\0K\0=\0v\0"), L""},
      {"ANSI", "[S]\r\nK=caf\xE9\r\n", L"caf\u00E9"},
      {"UTF-8 with a mark", "\xEF\xBB\xBF[S]\r\nK=\xE6\x97\xA5 \xF0\x9F\x98\x80\r\n", L"\u65E5 \U0001F600"},
      {"UTF-8 with a mark, broken", "\xEF\xBB\xBF[S]\r\nK=a\xE6\x97 b\xC0\xAF\r\n", L"a\uFFFD b\uFFFD\uFFFD"},
      {"only a mark", "\xFF\xFE", L""},
      {"empty", "", L""},
      {"comments", "[S]\r\n;K=c\r\n#K2=c\r\nK=v\r\n;x\r\n", L"v"},
      {"duplicate sections", "[S]\r\nK=first\r\n[T]\r\nK=t\r\n[s]\r\nK=second\r\nK2=in the second\r\n", L"first"},
      {"duplicate keys", "[S]\r\nK=first\r\nk=second\r\nK2=\r\nK2=later\r\n", L"first"},
      {"key without equals", "[S]\r\nK\r\nK=v\r\n", L""},
      {"blanks", "  [ S ]  \r\n\t K \t=\t v w \t\r\n K2 = \r\n", L"v w"},
      {"blanks inside names", "[S  T]\r\nK  L=v\r\n[S T]\r\nK L=w\r\n", L""},
      {"odd spaces", Utf16(L"[S\u00A0]\r\n\u3000K=v\u00A0\r\nK2=w\x1a\r\n\x1a[T]\r\nK=t\r\n"), L""},
      {"quotes", "[S]\r\nK=\"v w\"\r\nK2='v'\r\nK3=\"v'\r\nK4=\"\r\nK5=\"\"\r\nK6= \" v \" \r\nK7=\"a\"b\"\r\n", L"v w"},
      {"equals in values", "[S]\r\nK=a=b\r\n=v\r\nK2 == c\r\n", L"a=b"},
      {"headers", "[S]x\r\nK=v\r\n[T]]\r\nK=t\r\n[U\r\nK=u\r\n[]\r\nK=empty\r\n", L"v"},
      {"line feeds", "[S]\nK=v\n[T]\nK=t", L"v"},
      {"carriage returns", "[S]\rK=v\r[T]\rK=t\r", L"v"},
      {"mixed line ends", "[S]\rK=v\r\n[T]\n\rK=t\r\r\nK2=u", L"v"},
      {"no last line end", "[S]\r\nK=v", L"v"},
      {"NUL in a value", Raw("[S]\r\nK=a\0b\r\nK2=c\r\n"), L"a"},
      {"letter case", Utf16(L"[\u00C4pfel \u0416]\r\nK\u00C9Y=v\r\n[\u212Aey]\r\nK=kelvin\r\n"), L""},
      {"long value", "[S]\r\nK=" + std::string(kLong.begin(), kLong.end()) + "\r\n", kLong},
      {"keys before a section", "K=none\r\n[S]\r\nK=v\r\n", L"v"},
  };
  const std::pair<std::wstring, std::wstring> queries[] = {
      {L"S", L"K"},   {L"S", L"K2"},  {L"S", L"K3"},  {L"S", L"K4"},  {L"S", L"K5"},  {L"S", L"K6"},
      {L"S", L"K7"},  {L"s", L"k"},   {L"S", L";K"},  {L"S", L"#K2"}, {L"S", L";x"},  {L"T", L"K"},
      {L"U", L"K"},   {L"", L"K"},    {L"S  T", L"K  L"}, {L"S T", L"K L"}, {L"S", L"Missing"},
      {L"Missing", L"K"}, {L"S\u00A0", L"K"}, {L"\u00E4pfel \u0436", L"k\u00E9y"}, {L"key", L"K"},
      {L"KEY", L"K"}, {L"S", L"\u3000K"}, {L"U", L"K"}, {L"[U", L"K"},
  };
  TempFolder tmp;
  // A path of more than 260 characters, which the profile reader cannot open
  // and the launcher reads all the same.
  std::wstring longFolder = tmp.path();
  while (longFolder.size() < 300) longFolder += L"\\a folder with a rather long name";
  int serial = 0;
  for (const auto& row : files) {
    // A file of its own for each: the profile reader may keep a file it read.
    const std::wstring name = std::to_wstring(++serial) + L".ini";
    const std::wstring file = tmp / name, longFile = longFolder + L"\\" + name;
    const std::vector<unsigned char> bytes(row.bytes.begin(), row.bytes.end());
    testsupport::WriteBinaryFile(file, bytes);
    testsupport::WriteBinaryFile(longFile, bytes);
    EXPECT_EQ(PlatformValue(file, L"S", L"K"), row.valueOfSK) << row.what << ": the profile reader itself";
    for (const auto& [section, key] : queries) {
      const std::wstring expected = PlatformValue(file, section, key);
      EXPECT_EQ(config::ReadFileValue(file, section.c_str(), key.c_str()), expected)
          << row.what << ": [" << testing::PrintToString(section) << "] " << testing::PrintToString(key);
      EXPECT_EQ(config::ReadFileValue(longFile, section.c_str(), key.c_str()), expected) << row.what << " in a long path";
    }
  }
}

}  // namespace
