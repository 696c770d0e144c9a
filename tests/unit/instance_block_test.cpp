// The single-instance block: names, packing and reading of the argument area.
#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <vector>

#include "instance/instance_block.h"

namespace {

using Args = std::vector<std::wstring>;

instance::Block BlockWith(const instance::ArgumentArea& area) {
  instance::Block block{};
  std::copy(area.begin(), area.end(), block.begin() + instance::kArgumentAreaOffset);
  return block;
}

TEST(InstanceBlock, NameIsThePathWithUnderscoresForBackslashes) {
  EXPECT_EQ(instance::InstanceName(L"C:\\Apps\\Tool\\tool.exe"), L"C:_Apps_Tool_tool.exe");
  EXPECT_EQ(instance::InstanceName(L"\\\\server\\share\\a b\\x.exe"), L"__server_share_a b_x.exe");
  // A console companion shares its program's name; only the ending counts.
  EXPECT_EQ(instance::InstanceName(L"C:\\Apps\\MyApp.com"), L"C:_Apps_MyApp.exe");
  EXPECT_EQ(instance::InstanceName(L"C:\\Apps\\MyApp.COM"), L"C:_Apps_MyApp.exe");
  EXPECT_EQ(instance::InstanceName(L"C:\\a.com\\x.exe"), L"C:_a.com_x.exe");
}

// Names of 252 characters and more cannot name the window message (at most
// 255) or the objects with their suffixes (under MAX_PATH): such a path gets
// a name of its own of 251 characters, its first 234 followed by a hash.
TEST(InstanceBlock, LongPathsGetAShortNameOfTheirOwn) {
  const std::wstring folder = L"C:\\" + std::wstring(230, L'f') + L"\\";
  const struct {
    std::wstring path;
    bool plain;
  } cases[] = {
      {folder + std::wstring(251 - folder.size(), L'a'), true},
      {folder + std::wstring(252 - folder.size(), L'a'), false},
      {folder + std::wstring(255 - folder.size(), L'a'), false},
      {folder + std::wstring(260 - folder.size(), L'a'), false},
      {folder + std::wstring(4000, L'a'), false},
  };
  std::vector<std::wstring> names;
  for (const auto& c : cases) {
    const std::wstring name = instance::InstanceName(c.path);
    std::wstring plain = c.path;
    std::replace(plain.begin(), plain.end(), L'\\', L'_');
    if (c.plain) {
      EXPECT_EQ(name, plain);
      continue;
    }
    EXPECT_EQ(name.size(), instance::kLongestPlainName) << c.path.size();
    EXPECT_EQ(name.substr(0, 234), plain.substr(0, 234));
    EXPECT_EQ(name[234], L'_');
    EXPECT_EQ(name.find_first_not_of(L"0123456789abcdef", 235), std::wstring::npos) << "a hexadecimal hash";
    EXPECT_EQ(instance::InstanceName(c.path), name) << "the same for every start of the path";
    names.push_back(name);
  }
  // Paths that differ only after the kept characters, or only in one
  // character's case or a backslash for an underscore, are other instances.
  const std::wstring base = folder + std::wstring(40, L'a');
  for (const std::wstring& other : {folder + std::wstring(39, L'a') + L"b", folder + std::wstring(39, L'a') + L"A",
                                    base.substr(0, 2) + L"_" + base.substr(3)}) {
    names.push_back(instance::InstanceName(other));
  }
  names.push_back(instance::InstanceName(base));
  EXPECT_EQ(instance::InstanceName(base + L".com"), instance::InstanceName(base + L".exe"))
      << "a console companion shares its program's instance";
  std::sort(names.begin(), names.end());
  EXPECT_EQ(std::adjacent_find(names.begin(), names.end()), names.end()) << "every long path has a name of its own";
}

TEST(InstanceBlock, ArgumentsFitUpTo1040BytesAsUtf16WithTerminators) {
  const struct {
    Args arguments;
    bool fits;
  } cases[] = {
      {{}, true},
      {{std::wstring(518, L'x')}, true},  // 1036 + 2 + 2 = 1040
      {{std::wstring(519, L'x')}, false},
      {{std::wstring(258, L'x'), std::wstring(259, L'y')}, true},  // 518 + 520 + 2 = 1040
      {{std::wstring(259, L'x'), std::wstring(259, L'y')}, false},
      {Args(519, L""), true},  // 519 * 2 + 2
      {Args(520, L""), false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(instance::PackArguments(c.arguments).has_value(), c.fits) << c.arguments.size() << " arguments";
  }
  auto area = instance::PackArguments({L"ab", L"\u00e9"});
  ASSERT_TRUE(area.has_value());
  const std::vector<std::uint8_t> start(area->begin(), area->begin() + 12);
  EXPECT_EQ(start, (std::vector<std::uint8_t>{'a', 0, 'b', 0, 0, 0, 0xE9, 0, 0, 0, 0, 0}));
  EXPECT_TRUE(std::all_of(area->begin() + 12, area->end(), [](std::uint8_t b) { return b == 0; }));
}

TEST(InstanceBlock, ReadingStopsAtTheFirstEmptyArgument) {
  const struct {
    Args sent;
    Args received;
  } cases[] = {
      {{L"x", L"two words", L"Gr\u00fc\u00dfe \U0001D11E"}, {L"x", L"two words", L"Gr\u00fc\u00dfe \U0001D11E"}},
      {{}, {L""}},
      {{L"a", L"", L"b"}, {L"a"}},
      {{L""}, {L""}},
      {{L"", L"a"}, {L"", L"a"}},  // an empty argument ends the list only after another
      {{L"", L"", L"a"}, {L""}},
      {{std::wstring(518, L'x')}, {std::wstring(518, L'x')}},
  };
  for (const auto& c : cases) {
    auto area = instance::PackArguments(c.sent);
    ASSERT_TRUE(area.has_value());
    EXPECT_EQ(instance::ReadArguments(BlockWith(*area)), c.received) << c.sent.size() << " arguments sent";
  }
}

TEST(InstanceBlock, ReadingDropsATextTheWalkDoesNotSeeEnd) {
  instance::Block block{};
  // "ok", then units without an end up to byte 2090.
  block[12] = 'o';
  block[14] = 'k';
  for (std::size_t at = 18; at < 2090; at += 2) block[at] = 'z';
  EXPECT_EQ(instance::ReadArguments(block), Args{L"ok"});
  block[2088] = 0;  // the walk's last unit ends the text; the zero after it ends the list
  EXPECT_EQ(instance::ReadArguments(block), (Args{L"ok", std::wstring(1035, L'z')}));
  block[2088] = 'z';
  block[16] = 'z';  // no zero unit at all
  EXPECT_EQ(instance::ReadArguments(block), Args{});
}

TEST(InstanceBlock, FieldsAreLittleEndian) {
  instance::Block block{};
  instance::WriteField(block.data(), instance::kMessageIdOffset, 0xC0DE1234u);
  EXPECT_EQ(block[8], 0x34);
  EXPECT_EQ(block[11], 0xC0);
  EXPECT_EQ(instance::ReadField(block.data(), instance::kMessageIdOffset), 0xC0DE1234u);
  EXPECT_EQ(instance::ReadField(block.data(), instance::kProcessIdOffset), 0u);
}

}  // namespace
