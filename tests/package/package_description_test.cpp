// Reading the package description.
#include <gtest/gtest.h>

#include "tools/package/description_keys.h"
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
  EXPECT_FALSE(ParsePackageDescription("[Embedded: Application]\ncmd = 1\n").description);
  EXPECT_TRUE(ParsePackageDescription("[Ini: application]\ncmd = 1\n[Ini: Java Runtime Environment+]\nsystem path = x\n").description);
}

TEST(PackageDescription, EveryErrorNamesItsLine) {
  struct Case {
    std::string text;
    int line;
    std::string message;
  };
  const Case cases[] = {
      {"[Package]\nColour = red\n", 2,
       "unknown key \"Colour\" in [Package]; [Package] takes Icon, DPI Awareness, Upgrade Code, Console, Runtime"},
      {"[Package]\nIcon = a.ico\nIcon = b.ico\n", 3, "\"Icon\" is set twice in [Package] (first on line 2)"},
      {"Icon = a.ico\n", 1, "\"Icon\" stands before any section"},
      {"[Package]\n\nIcon\n", 3, "expected \"key = value\" or \"[section]\""},
      {"[Package\n", 1, "a section header must end with \"]\""},
      {"[Packages]\n", 1,
       "unknown section [Packages]: expected [Package], [Version], [Installer], [Signing], [Service], [Embedded: ...] or [Ini: ...]"},
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
      {"[Embedded: Class Path]\n[Ini: Product Information]\nUpgrade Code = {X}\n", 3,
       "set \"Upgrade Code\" in [Package]: it keys the embedded settings and is written into the .ini from there"},
      {"[Embedded:]\n", 1, "[Embedded: ...] needs the name of a settings section"},
      {"[Embedded: Class Path]\n[Embedded:Class Path]\n", 2, "[Embedded:Class Path] appears twice (first on line 1)"},
      {"[Embedded: Application]\nCmd = 1\nCmd = 3\n", 3, "\"Cmd\" is set twice in [Embedded: Application] (first on line 2)"},
      {"[Ini: Display]\n[Ini: display]\n", 2, "[Ini: display] appears twice (first on line 1)"},
      {"[Ini: Product Information]\nProduct Name = a\nproduct name = b\n", 3,
       "\"product name\" is set twice in [Ini: Product Information] (first on line 2)"},
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

// An unknown key or settings section names what is accepted there, and the
// nearest of it; settings are checked against the launcher's catalogue.
TEST(PackageDescription, UnknownNamesListWhatIsAcceptedAndTheNearest) {
  const std::string runtimeKeys =
      "Main Class, Main Module, JRE Path, Minimum Version, Maximum Version, Preferred versions, JVM Type, JVM Source, "
      "VM Provider, System Path, Library Path, Virtual Machine Parameters, Search Installed Runtimes, Startup Cache, "
      "User VM Options, Download URL";
  const std::string sections = "Application, Java Runtime Environment, Class Path, Product Information, Display";
  const std::string layered = "Application, Java Runtime Environment, Class Path";
  const std::pair<std::string, std::string> cases[] = {
      {"[Installer]\nShortcut = yes\n",
       "unknown key \"Shortcut\" in [Installer] (nearest: \"Desktop Shortcut\"); [Installer] takes File, Install "
       "Folder, Scope, Files, Start Menu, Desktop Shortcut, File Types, Open With"},
      {"[Version]\nFile Version = 1.0.0.0\nproduct name = x\n",
       "unknown key \"product name\" in [Version] (nearest: \"Product Name\"); [Version] takes File Version, Product "
       "Version, Product Name, Company Name, File Description, Copyright, Original File Name, Internal Name"},
      {"[Embedded: Java Runtime Environment]\nMain Clas = a.B\n",
       "unknown key \"Main Clas\" in [Embedded: Java Runtime Environment] (nearest: \"Main Class\"); "
       "[Embedded: Java Runtime Environment] takes " + runtimeKeys},
      {"[Ini: Java Runtime Environment]\nColour = red\n",
       "unknown key \"Colour\" in [Ini: Java Runtime Environment]; [Ini: Java Runtime Environment] takes " + runtimeKeys},
      {"[Embedded: Aplication]\n",
       "unknown settings section \"Aplication\" (nearest: \"Application\"); the launcher reads " + layered},
      {"[Ini: Splash]\n", "unknown settings section \"Splash\"; the launcher reads " + sections},
      {"[Embedded: Display+]\n",
       "unknown settings section \"Display+\"; the launcher reads " + layered},
      {"[Embedded: Display]\n", "the launcher reads [Display] from the .ini only: write it as [Ini: Display]"},
      {"[Ini: Product Information+]\n",
       "the launcher reads [Product Information] from the .ini only: write it as [Ini: Product Information]"},
  };
  for (const auto& [text, message] : cases) {
    auto result = ParsePackageDescription(text);
    ASSERT_FALSE(result.description) << text;
    EXPECT_EQ(result.error.message, message) << text;
  }
}

// --help is made from the table the parser reads: every key of it (and of
// the launcher's settings) is there, each accepted by the parser.
TEST(PackageDescription, HelpListsEveryKeyThatTheParserAccepts) {
  std::string help = package::DescriptionHelp();
  for (const auto& k : package::DescriptionKeys()) {
    std::string line = "  " + std::string(k.key) + " = " + std::string(k.values) + " (default: " + std::string(k.fallback) + ")";
    EXPECT_NE(help.find("[" + std::string(k.section) + "]\n"), std::string::npos) << k.section;
    EXPECT_NE(help.find(line), std::string::npos) << line;
    auto result = ParsePackageDescription("[" + std::string(k.section) + "]\n" + std::string(k.key) + " = ?\n");
    EXPECT_EQ(result.error.message.find("unknown key"), std::string::npos) << k.key << ": " << result.error.message;
  }
  // The two names the tool fills in from the output say so.
  EXPECT_NE(help.find("  Original File Name = text (at most 1024 bytes) (default: the output's file name, such as "
                      "MyApp.exe)\n"), std::string::npos) << help;
  EXPECT_NE(help.find("  Internal Name = text (at most 1024 bytes) (default: the output's file name without its "
                      "extension, such as MyApp)\n"), std::string::npos) << help;
  for (const std::string& section : package::SettingsSections()) {
    for (const std::string& key : package::SettingsKeysOf(section)) {
      EXPECT_NE(help.find(key), std::string::npos) << key;
      if (key == "Upgrade Code") continue;  // set in [Package], and written into the .ini from there
      EXPECT_TRUE(ParsePackageDescription("[Ini: " + section + "]\n" + key + " = x\n").description) << key;
    }
  }
}

// [Signing] names the certificate and where its password is, never the password.
TEST(PackageDescription, SigningNeedsACertificateAndTakesAVariableNameAndWebAddresses) {
  auto read = ParsePackageDescription("[Signing]\nCertificate = keys\\app.pfx\nPassword Variable = APP_PFX_2\n"
                                      "Timestamp URL = http://127.0.0.1:9/tsa\nDescription = My App\nURL = https://x.example/\n");
  ASSERT_TRUE(read.description && read.description->signing) << read.error.message;
  const auto& s = *read.description->signing;
  EXPECT_EQ(s.certificate, "keys\\app.pfx");
  EXPECT_EQ(s.certificateLine, 2);
  EXPECT_EQ(s.passwordVariable, "APP_PFX_2");
  EXPECT_EQ(s.passwordLine, 3);
  EXPECT_EQ(s.timestampUrl, "http://127.0.0.1:9/tsa");
  EXPECT_EQ(s.description, "My App");
  EXPECT_EQ(s.url, "https://x.example/");
  const std::pair<std::string, std::string> refused[] = {
      {"[Signing]\nDescription = x\n", "1: [Signing] needs a \"Certificate\": the path of a .pfx or .p12 file"},
      {"[Signing]\nCertificate = a.pfx\nPassword Variable = hunter2!\n",
       "3: \"Password Variable\" must be the name of an environment variable (letters, digits and _, not starting "
       "with a digit), not \"hunter2!\": the password itself never goes into the description"},
      {"[Signing]\nCertificate = a.pfx\nPassword Variable = 1PASS\n",
       "3: \"Password Variable\" must be the name of an environment variable (letters, digits and _, not starting "
       "with a digit), not \"1PASS\": the password itself never goes into the description"},
      {"[Signing]\nCertificate = a.pfx\nTimestamp URL = timestamp.example\n",
       "3: \"Timestamp URL\" must be an http:// or https:// address, not \"timestamp.example\""},
      {"[Signing]\nCertificate = a.pfx\nURL = ftp://x\n", "3: \"URL\" must be an http:// or https:// address, not \"ftp://x\""},
      {"[Signing]\nCertificate = a.pfx\n[Signing]\n", "3: [Signing] appears twice (first on line 1)"},
  };
  for (const auto& [text, expected] : refused) {
    auto result = ParsePackageDescription(text);
    ASSERT_FALSE(result.description) << text;
    EXPECT_EQ(std::to_string(result.error.line) + ": " + result.error.message, expected) << text;
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
