// The installer's rules: the [Installer] section and the WiX text.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <tuple>
#include <sstream>

#include "tools/package/installer_build.h"
#include "tools/package/installer_wix.h"
#include "tools/package/package_description.h"

namespace {

using package::ParsePackageDescription;

const std::string kHead =
    "[Package]\nUpgrade Code = {0C6D6B2E-1D7A-4F4B-9E0A-7C1E2B3A4D5F}\n"
    "[Version]\nFile Version = 2.1.0.0\n"
    "[Embedded: Application]\nSingle Instance = yes\n";

TEST(Installer, DescriptionReadsEveryKey) {
  auto result = ParsePackageDescription(kHead +
                                        "[Installer]\n"
                                        "File = My App.msi\n"
                                        "Install Folder = My App\n"
                                        "Scope = user\n"
                                        "Files = lib\\*.jar; image->. ;;docs/notes.txt -> doc\\read\n"
                                        "Start Menu = no\n"
                                        "Desktop Shortcut = yes\n"
                                        "File Types = .myd = My document; .MY2=Old [v1] document\n"
                                        "Open With = .txt; .CSV\n");
  ASSERT_TRUE(result.description) << result.error.line << ": " << result.error.message;
  ASSERT_TRUE(result.description->installer);
  const auto& i = *result.description->installer;
  EXPECT_EQ(i.line, 7);
  EXPECT_EQ(i.file, "My App.msi");
  EXPECT_EQ(i.installFolder, "My App");
  EXPECT_TRUE(i.perUser);
  EXPECT_EQ(i.files, (std::vector<package::FilesEntry>{{"lib\\*.jar", ""}, {"image", "."}, {"docs/notes.txt", "doc\\read"}}));
  EXPECT_EQ(i.filesLine, 11);
  EXPECT_FALSE(i.startMenu);
  EXPECT_TRUE(i.desktopShortcut);
  ASSERT_EQ(i.documentTypes.size(), 2u);
  EXPECT_EQ(i.documentTypes[1].extension, ".MY2");
  EXPECT_EQ(i.documentTypes[1].description, "Old [v1] document");
  EXPECT_EQ(i.offeredTypes, (std::vector<std::string>{".txt", ".CSV"}));

  auto defaults = ParsePackageDescription(kHead + "[Installer]\n");
  ASSERT_TRUE(defaults.description && defaults.description->installer) << defaults.error.message;
  const auto& d = *defaults.description->installer;
  EXPECT_TRUE(d.file.empty() && d.installFolder.empty() && d.files.empty() && d.documentTypes.empty() &&
              d.offeredTypes.empty());
  EXPECT_FALSE(d.perUser);
  EXPECT_TRUE(d.startMenu);
  EXPECT_FALSE(d.desktopShortcut);
}

TEST(Installer, BadDescriptionsNameTheirLine) {
  struct Case {
    std::string text;
    int line;
    std::string message;
  };
  const std::string guid = "{0C6D6B2E-1D7A-4F4B-9E0A-7C1E2B3A4D5F}";
  const std::string version = "[Version]\nFile Version = 1.0.0.0\n";
  const std::string embedded = "[Embedded: Application]\n";
  const Case cases[] = {
      {kHead + "[Installer]\nScope = all\n", 8, "\"Scope\" must be machine or user, not \"all\""},
      {kHead + "[Installer]\nStart Menu = Yes\n", 8, "\"Start Menu\" must be yes or no, not \"Yes\""},
      {kHead + "[Installer]\nInstall Folder = a\\b\n", 8,
       "\"Install Folder\" must be a folder name without \\ / : * ? \" < > |, not \"a\\b\""},
      {kHead + "[Installer]\nFiles = a.jar; ..\\secret.txt\n", 8,
       "\"Files\" needs paths below the description's folder, with \"*\" only in a file name, not \"..\\secret.txt\""},
      {kHead + "[Installer]\nFiles = C:\\lib\n", 8,
       "\"Files\" needs paths below the description's folder, with \"*\" only in a file name, not \"C:\\lib\""},
      {kHead + "[Installer]\nFiles = /etc/passwd\n", 8,
       "\"Files\" needs paths below the description's folder, with \"*\" only in a file name, not \"/etc/passwd\""},
      {kHead + "[Installer]\nFiles = lib*\\a.jar\n", 8,
       "\"Files\" needs paths below the description's folder, with \"*\" only in a file name, not \"lib*\\a.jar\""},
      {kHead + "[Installer]\nFiles = a.jar -> ..\\up\n", 8,
       "\"Files\" needs a folder below the install folder after \"->\" (\".\" for the install folder itself), not "
       "\"..\\up\" in \"a.jar -> ..\\up\""},
      {kHead + "[Installer]\nFiles = a.jar -> C:\\lib\n", 8,
       "\"Files\" needs a folder below the install folder after \"->\" (\".\" for the install folder itself), not "
       "\"C:\\lib\" in \"a.jar -> C:\\lib\""},
      {kHead + "[Installer]\nFiles = a.jar -> /lib\n", 8,
       "\"Files\" needs a folder below the install folder after \"->\" (\".\" for the install folder itself), not "
       "\"/lib\" in \"a.jar -> /lib\""},
      {kHead + "[Installer]\nFiles = a.jar -> lib*\n", 8,
       "\"Files\" needs a folder below the install folder after \"->\" (\".\" for the install folder itself), not "
       "\"lib*\" in \"a.jar -> lib*\""},
      {kHead + "[Installer]\nFiles = a.jar ->\n", 8,
       "\"Files\" needs a folder below the install folder after \"->\" (\".\" for the install folder itself), not "
       "\"\" in \"a.jar ->\""},
      {kHead + "[Installer]\nFiles = -> lib\n", 8,
       "\"Files\" needs paths below the description's folder, with \"*\" only in a file name, not \"\""},
      {kHead + "[Installer]\nFile Types = .txt\n", 8,
       "\"File Types\" needs \".ext = Description\" pairs (letters, digits, _ and - after the dot), not \".txt\""},
      {kHead + "[Installer]\nFile Types = txt = Text\n", 8,
       "\"File Types\" needs \".ext = Description\" pairs (letters, digits, _ and - after the dot), not \"txt = Text\""},
      {kHead + "[Installer]\nFile Types = .a b = Text\n", 8,
       "\"File Types\" needs \".ext = Description\" pairs (letters, digits, _ and - after the dot), not \".a b = Text\""},
      {kHead + "[Installer]\nFile Types = .doc = A; .DOC = B\n", 8, "\"File Types\" names .DOC twice"},
      {kHead + "[Installer]\n[Installer]\n", 8, "[Installer] appears twice (first on line 7)"},
      {"[Package]\n" + version + embedded + "[Installer]\n", 5,
       "[Installer] needs an \"Upgrade Code\" in [Package] that is a GUID such as "
       "{0C6D6B2E-1D7A-4F4B-9E0A-7C1E2B3A4D5F}, not \"\""},
      {"[Package]\nUpgrade Code = {UC}\n" + version + embedded + "[Installer]\n", 2,
       "[Installer] needs an \"Upgrade Code\" in [Package] that is a GUID such as "
       "{0C6D6B2E-1D7A-4F4B-9E0A-7C1E2B3A4D5F}, not \"{UC}\""},
      {"[Package]\nUpgrade Code = " + guid + "\n" + embedded + "[Installer]\n", 4,
       "[Installer] needs a [Version] whose \"Product Version\" starts with two numbers of 0 to 255"},
      {"[Package]\nUpgrade Code = " + guid + "\n[Version]\nFile Version = 1.0.0.0\nProduct Version = 1.256.0.0\n" +
           embedded + "[Installer]\n",
       7, "[Installer] needs a [Version] whose \"Product Version\" starts with two numbers of 0 to 255"},
      {"[Package]\nUpgrade Code = " + guid + "\n[Version]\nFile Version = 1.0.0\n" + embedded + "[Installer]\n", 4,
       "\"File Version\" must be four numbers of 0 to 65535 such as 1.2.0.0, not \"1.0.0\""},
  };
  for (const auto& c : cases) {
    auto result = ParsePackageDescription(c.text);
    ASSERT_FALSE(result.description) << c.text;
    EXPECT_EQ(result.error.line, c.line) << c.text;
    EXPECT_EQ(result.error.message, c.message) << c.text;
  }
}

// What would harm the machine or could not reach the package as written.
TEST(Installer, TextsThatTheSystemOrTheBuildToolWouldTakeOtherwiseAreRefused) {
  struct Case {
    std::string lines;
    std::string message;
  };
  const std::string plain = "must be a file name (the package is made in the output's folder), not ";
  const std::string notBelow = "\"Files\" needs paths below the description's folder, with \"*\" only in a file name, not ";
  const std::string dollar = "holds \"$\", which the installer's build tool (wixl) reads as the start of a variable";
  const std::string ascii = "\": the installer's build tool (wixl) keeps only ASCII text in the package";
  const std::string program = ": it is the type of programs or system files";
  const std::string device = "is the name of a device on Windows (CON, PRN, AUX, NUL, COM0 to COM9, LPT0 to LPT9, "
                             "with any extension and in any case), which no file or folder may have";
  const std::string tooLong = "is longer than the 255 characters a Windows file or folder name may hold";
  const Case cases[] = {
      {"[Installer]\nFile Types = .doc = A; .exe = x\n", "\"File Types\" cannot name .exe" + program},
      {"[Installer]\nOpen With = .LNK\n", "\"Open With\" cannot name .LNK" + program},
      {"[Installer]\nFile Types = .ps1 = x\n", "\"File Types\" cannot name .ps1" + program},
      {"[Installer]\nFile Types = .txt = Text document\n",
       "\"File Types\" cannot take .txt, a type Windows opens with a program of its own: offer the application for it "
       "with \"Open With\""},
      {"[Installer]\nOpen With = .doc; .DOC\n", "\"Open With\" names .DOC twice"},
      {"[Installer]\nOpen With = txt\n", "\"Open With\" needs \".ext\" types (letters, digits, _ and - after the dot), not \"txt\""},
      {"[Installer]\nFiles = a.jar; CON\n", "\"Files\" names \"CON\", whose \"CON\" " + device},
      {"[Installer]\nFiles = lib\\nul.txt\n", "\"Files\" names \"lib\\nul.txt\", whose \"nul.txt\" " + device},
      {"[Installer]\nFiles = dev/con.txt\n", "\"Files\" names \"dev/con.txt\", whose \"con.txt\" " + device},
      {"[Installer]\nFiles = com1.jar\n", "\"Files\" names \"com1.jar\", whose \"com1.jar\" " + device},
      {"[Installer]\nFiles = Lpt9.log\n", "\"Files\" names \"Lpt9.log\", whose \"Lpt9.log\" " + device},
      {"[Installer]\nFiles = aux\\a.jar\n", "\"Files\" names \"aux\\a.jar\", whose \"aux\" " + device},
      {"[Installer]\nFiles = lib/" + std::string(256, 'a') + "\n",
       "\"Files\" names \"lib/" + std::string(256, 'a') + "\", whose \"" + std::string(256, 'a') + "\" " + tooLong},
      {"[Installer]\nInstall Folder = nul\n", "\"Install Folder\" \"nul\" " + device},
      {"[Installer]\nInstall Folder = " + std::string(256, 'f') + "\n",
       "\"Install Folder\" \"" + std::string(256, 'f') + "\" " + tooLong},
      {"[Installer]\nFile = con.msi\n", "\"File\" \"con.msi\" " + device},
      {"[Installer]\nFile = ..\\..\\x.msi\n", "\"File\" " + plain + "\"..\\..\\x.msi\""},
      {"[Installer]\nFile = setup/x.msi\n", "\"File\" " + plain + "\"setup/x.msi\""},
      {"[Installer]\nFiles = a$b.txt\n", "\"Files\" " + dollar},
      {"[Installer]\nFile = $(env.HOME).msi\n", "\"File\" " + dollar},
      {"[Installer]\nInstall Folder = A$$B\n", "\"Install Folder\" " + dollar},
      {"[Installer]\nFile Types = .myd = $(var.X)\n", "\"File Types\" " + dollar},
      {"[Installer]\nInstall Folder = Caf\xC3\xA9\n", "\"Install Folder\" holds \"\xC3\xA9" + ascii},
  };
  for (const auto& c : cases) {
    std::string text = kHead + c.lines;
    auto result = ParsePackageDescription(text);
    ASSERT_FALSE(result.description) << text;
    EXPECT_EQ(result.error.line, 8) << text;
    EXPECT_EQ(result.error.message, c.message) << text;
  }

  // The [Version] texts that reach the package, and its version.
  const std::string guid = "[Package]\nUpgrade Code = {0C6D6B2E-1D7A-4F4B-9E0A-7C1E2B3A4D5F}\n";
  const std::string tail = "[Embedded: Application]\n[Installer]\n";
  const Case versions[] = {
      {"Product Name = Leak $(env.PROBE_SECRET) Name\n", "\"Product Name\" " + dollar},
      {"Company Name = \xD0\x9F\xD1\x80\xD0\xB8\n", "\"Company Name\" holds \"\xD0\x9F" + ascii},
      {"Product Name = \xE6\x97\xA5\xE6\x9C\xAC\n", "\"Product Name\" holds \"\xE6\x97\xA5" + ascii},
      {"Product Name = " + std::string(129, 'n') + "\n",
       "\"Product Name\" is longer than the 128 characters the installer's shortcut and product names may hold"},
      {"Product Version = 1.2.0.1\n",
       "[Installer] needs a \"Product Version\" whose fourth number is 0, not \"1.2.0.1\": Windows Installer compares "
       "only the first three, so a newer build that differs in the fourth alone would not replace an older one"},
  };
  for (const auto& c : versions) {
    std::string text = guid + "[Version]\nFile Version = 1.2.0.0\n" + c.lines + tail;
    auto result = ParsePackageDescription(text);
    ASSERT_FALSE(result.description) << text;
    EXPECT_EQ(result.error.line, 5) << text;
    EXPECT_EQ(result.error.message, c.message) << text;
  }
  EXPECT_TRUE(ParsePackageDescription(guid + "[Version]\nFile Version = 1.2.0.3\nProduct Version = 1.2.0.0\n" +
                                      "Product Name = " + std::string(128, 'n') + "\n" + tail)
                  .description);
}

// Scripts and shell objects are refused in both lists; the types Windows
// opens itself (certificates, fonts, disk images, ...) may only be offered.
TEST(Installer, ScriptAndShellTypesAndWindowsOwnTypesAreNotTaken) {
  for (const char* type : {".wsc", ".sct", ".scf", ".ps1xml", ".psd1", ".settingcontent-ms", ".library-ms",
                           ".search-ms", ".appref-ms", ".application", ".appinstaller", ".msix", ".appx"}) {
    for (const std::string key : {"File Types = ", "Open With = "}) {
      auto result = ParsePackageDescription(kHead + "[Installer]\n" + key + type + (key[0] == 'F' ? " = x\n" : "\n"));
      ASSERT_FALSE(result.description) << key << type;
      EXPECT_NE(result.error.message.find("it is the type of programs or system files"), std::string::npos)
          << key << type << ": " << result.error.message;
    }
  }
  for (const char* type : {".cer", ".pfx", ".ttf", ".iso", ".vhdx", ".rdp", ".chm", ".themepack"}) {
    auto taken = ParsePackageDescription(kHead + "[Installer]\nFile Types = " + type + " = x\n");
    ASSERT_FALSE(taken.description) << type;
    EXPECT_NE(taken.error.message.find("a type Windows opens with a program of its own"), std::string::npos)
        << type << ": " << taken.error.message;
    EXPECT_TRUE(ParsePackageDescription(kHead + "[Installer]\nOpen With = " + type + "\n").description) << type;
  }
}

// "*" stands for any run; the time grows with the lengths only.
TEST(Installer, FilesPatternsMatchInTimeOfTheirLength) {
  const std::tuple<const char*, const char*, bool> cases[] = {
      {"*.jar", "a.JAR", true}, {"*.jar", "a.jar.txt", false}, {"a*", "a", true},       {"a*b", "ab", true},
      {"a*b", "a", false},      {"*a*b*", "xaxbx", true},      {"*a*b", "xbxa", false}, {"a*a", "a", false},
      {"lib*.jar", "lib-1.jar", true}, {"*", "", true},        {"x", "X", true},        {"**a**", "ba", true},
  };
  for (const auto& [pattern, name, expected] : cases) {
    EXPECT_EQ(package::MatchesPattern(pattern, name), expected) << pattern << " " << name;
  }
  std::string name(60, 'a');
  auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < 1000; ++i) EXPECT_FALSE(package::MatchesPattern("*a*a*a*a*a*a*a*a*a*b", name));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

// Every part of the package: nested folders, both shortcuts, document types,
// and text that XML and Windows Installer would otherwise take as markup.
TEST(Installer, WixTextOfAFullProduct) {
  package::WixProduct p;
  p.name = "My <App> & [Co]";
  p.manufacturer = "Example \"Ltd\"";
  p.version = "2.1.0.7";
  p.upgradeCode = "{0C6D6B2E-1D7A-4F4B-9E0A-7C1E2B3A4D5F}";
  p.installFolder = "My App";
  p.progIdBase = "MyApp";
  p.desktopShortcut = true;
  p.files = {{"MyApp.exe", "MyApp.exe"},
             {"MyApp.ini", "MyApp.ini"},
             {"../src/lib/a.jar", "lib\\a.jar"},
             {"../src/runtime/bin/server/jvm.dll", "runtime\\bin\\server\\jvm.dll"},
             {"../src/lib/b & c.jar", "lib\\b & c.jar"},
             {"../src/runtime/release", "runtime\\release"}};
  p.documentTypes = {{".myd", "My {App} document"}, {".my2", "Old"}};
  p.offeredTypes = {".txt"};
  std::ifstream golden(VORN_GOLDEN_DIR "/installer.wxs", std::ios::binary);
  ASSERT_TRUE(golden) << VORN_GOLDEN_DIR "/installer.wxs";
  std::stringstream expected;
  expected << golden.rdbuf();
  EXPECT_EQ(package::ComposeWix(p), expected.str());

  p.perUser = true;
  p.startMenu = false;
  p.desktopShortcut = false;
  std::string user = package::ComposeWix(p);
  for (const char* part : {"InstallScope=\"perUser\"", "<Directory Id=\"LocalAppDataFolder\">",
                           "<Directory Id=\"UserPrograms\" Name=\"Programs\">", "Root=\"HKCU\""}) {
    EXPECT_NE(user.find(part), std::string::npos) << part;
  }
  for (const char* part : {"HKLM", "ProgramFiles64Folder", "<Shortcut"}) EXPECT_EQ(user.find(part), std::string::npos) << part;
}

}  // namespace
