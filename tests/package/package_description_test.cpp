// Reading the package description.
#include <gtest/gtest.h>

#include "tools/package/package_description.h"

namespace {

using package::ParsePackageDescription;

TEST(PackageDescription, ReadsEverySection) {
  auto result = ParsePackageDescription(
      "\xEF\xBB\xBF; how hello.exe is made\r\n"
      "[Package]\r\n"
      "Icon = art/hello.ico\r\n"
      "DPI Awareness = Per-Monitor\r\n"
      "Upgrade Code = {UC}\r\n"
      "\r\n"
      "[Version]\n"
      "File Version = 1.2.3.4\n"
      "Product Name = Hello \xC3\x84pp\n"
      "  # indented comment\n"
      "Copyright = (c) Example = Ltd\n"
      "[Embedded: Java Runtime Environment]\n"
      "Main Class = example.Hello\n"
      "Virtual Machine Parameters = -Dx=\"a b\"\n"
      "[Ini: Product Information]\n"
      "Product Name = Hello\n");
  ASSERT_TRUE(result.description) << result.error.line << ": " << result.error.message;
  const auto& d = *result.description;
  EXPECT_EQ(d.icon, "art/hello.ico");
  EXPECT_EQ(d.iconLine, 3);
  EXPECT_EQ(d.dpiAwareness, package::DpiAwareness::PerMonitor);
  EXPECT_EQ(d.upgradeCode, "{UC}");
  ASSERT_TRUE(d.version);
  EXPECT_EQ(d.version->fileVersion, (package::FourPartVersion{1, 2, 3, 4}));
  EXPECT_EQ(d.version->productVersion, d.version->fileVersion) << "the product version defaults to the file's";
  using Strings = std::vector<std::pair<std::string, std::string>>;
  EXPECT_EQ(d.version->strings, (Strings{{"FileVersion", "1.2.3.4"},
                                         {"LegalCopyright", "(c) Example = Ltd"},
                                         {"ProductName", "Hello \xC3\x84pp"},
                                         {"ProductVersion", "1.2.3.4"}}));
  ASSERT_EQ(d.embedded.size(), 1u);
  EXPECT_EQ(d.embedded[0].name, "Java Runtime Environment");
  ASSERT_EQ(d.embedded[0].entries.size(), 2u);
  EXPECT_EQ(d.embedded[0].entries[1].key, "Virtual Machine Parameters");
  EXPECT_EQ(d.embedded[0].entries[1].value, "-Dx=\"a b\"");
  ASSERT_EQ(d.ini.size(), 1u);
  EXPECT_EQ(d.ini[0].name, "Product Information");

  // The embedded settings' names are read exactly: these differ.
  EXPECT_TRUE(ParsePackageDescription("[Embedded: A]\nx = 1\nX = 2\n[Embedded: a]\nx = 3\n").description);
}

TEST(PackageDescription, EveryErrorNamesItsLine) {
  struct Case {
    std::string text;
    int line;
    std::string message;
  };
  const Case cases[] = {
      {"[Package]\nColour = red\n", 2, "unknown key \"Colour\" in [Package]"},
      {"[Package]\nIcon = a.ico\nIcon = b.ico\n", 3, "\"Icon\" is set twice in [Package] (first on line 2)"},
      {"Icon = a.ico\n", 1, "\"Icon\" stands before any section"},
      {"[Package]\n\nIcon\n", 3, "expected \"key = value\" or \"[section]\""},
      {"[Package\n", 1, "a section header must end with \"]\""},
      {"[Packages]\n", 1,
       "unknown section [Packages]: expected [Package], [Version], [Installer], [Embedded: ...] or [Ini: ...]"},
      {"[Package]\n[Package]\n", 2, "[Package] appears twice (first on line 1)"},
      {"[Version]\nProduct Name = x\n", 1, "[Version] needs \"File Version\""},
      {"[Version]\nFile Version = 1.2.3\n", 2,
       "\"File Version\" must be four numbers of 0 to 65535 such as 1.2.0.0, not \"1.2.3\""},
      {"[Version]\nFile Version = 1.2.3.4\nProduct Version = 1.2.3.65536\n", 3,
       "\"Product Version\" must be four numbers of 0 to 65535 such as 1.2.0.0, not \"1.2.3.65536\""},
      {"[Version]\nFile Version = 1.0.0.0\nCompany Name = " + std::string(1025, 'x') + "\n", 3,
       "\"Company Name\" is longer than 1024 bytes"},
      {"[Package]\nDPI Awareness = high\n", 2,
       "\"DPI Awareness\" must be unchanged, none, system or per-monitor, not \"high\""},
      {"[Package]\nConsole = sometimes\n", 2, "\"Console\" must be no, yes or companion, not \"sometimes\""},
      {"[Package]\nUpgrade Code = {X}\n", 2,
       "\"Upgrade Code\" keys embedded settings, but there is no [Embedded: ...] section"},
      {"[Embedded: A]\nx=1\n[Ini: Product Information]\nUpgrade Code = {X}\n", 4,
       "set \"Upgrade Code\" in [Package]: it keys the embedded settings and is written into the .ini from there"},
      {"[Embedded:]\n", 1, "[Embedded: ...] needs the name of a settings section"},
      {"[Embedded: A]\nx=1\n[Embedded:A]\ny=2\n", 3, "[Embedded:A] appears twice (first on line 1)"},
      {"[Embedded: A]\nx = 1\ny = 2\nx = 3\n", 4, "\"x\" is set twice in [Embedded: A] (first on line 2)"},
      {"[Ini: Display]\n[Ini: display]\n", 2, "[Ini: display] appears twice (first on line 1)"},
      {"[Ini: A]\nProduct Name = a\nproduct name = b\n", 3,
       "\"product name\" is set twice in [Ini: A] (first on line 2)"},
      {"[Package]\nIcon = \n", 2, "\"Icon\" needs the path of an .ico file"},
      {"[Package]\nIcon = \xC3\x28.ico\n", 2, "the line is not UTF-8 text"},
      {std::string("[Package]\nIcon = a\0b.ico\n", 24), 2, "the line holds a control character"},
  };
  for (const auto& c : cases) {
    auto result = ParsePackageDescription(c.text);
    EXPECT_FALSE(result.description) << c.text;
    EXPECT_EQ(result.error.line, c.line) << c.text;
    EXPECT_EQ(result.error.message, c.message) << c.text;
  }
}

TEST(PackageDescription, VersionsAreFourNumbersUpTo65535) {
  struct Case {
    const char* text;
    std::optional<package::FourPartVersion> expected;
  };
  const Case cases[] = {
      {"1.2.3.4", package::FourPartVersion{1, 2, 3, 4}}, {"0.0.0.0", package::FourPartVersion{0, 0, 0, 0}},
      {"65535.65535.65535.65535", package::FourPartVersion{65535, 65535, 65535, 65535}},
      {"00001.2.3.4", package::FourPartVersion{1, 2, 3, 4}},
      {"1.2.3", std::nullopt}, {"1.2.3.4.5", std::nullopt}, {"1.2.3.65536", std::nullopt},
      {"1.2.3.", std::nullopt}, {"1..3.4", std::nullopt}, {"1.2.3.4 ", std::nullopt}, {"-1.2.3.4", std::nullopt},
      {"1.2.3.x", std::nullopt}, {"", std::nullopt}, {"999999.1.1.1", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(package::ParseFourPartVersion(c.text), c.expected) << c.text;
}

}  // namespace
