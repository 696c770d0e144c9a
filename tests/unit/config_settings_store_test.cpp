// The layered lookup over the embedded text, the file and its "+" section,
// and the profile-file reads and writes underneath.
#include <gtest/gtest.h>

#include "config/settings_store.h"
#include "tests/support/test_files.h"

namespace {

using testsupport::Encoding;
using testsupport::TempFolder;
using testsupport::WriteTextFile;

const wchar_t kJre[] = L"Java Runtime Environment";

TEST(SettingsStoreLookup, FileValueWinsOverEmbeddedValue) {
  TempFolder tmp;
  WriteTextFile(tmp / L"a.ini", L"[Java Runtime Environment]\r\nMain Class=file.Main\r\n");
  config::SettingsStore store;
  store.Open(tmp / L"a.ini", L"[Java Runtime Environment]\r\nMain Class=embedded.Main\r\nJVM Type=server\r\n");
  EXPECT_EQ(store.Lookup(kJre, L"Main Class"), L"file.Main");
  EXPECT_EQ(store.Lookup(kJre, L"JVM Type"), L"server") << "the embedded layer supplies what the file lacks";
  EXPECT_EQ(store.Lookup(kJre, L"Missing"), L"");
}

TEST(SettingsStoreLookup, PlusSectionExtendsTheLowerLayers) {
  struct Case {
    std::wstring section, key;
    std::wstring embedded;  // the embedded value; empty: none
    std::wstring file;      // the file's own value; an empty one counts as missing
    std::wstring plus;      // the "+" section's value
    std::wstring expected;
  };
  const std::wstring jre = kJre;
  const Case cases[] = {
      // Nothing beneath: the "+" text as it stands, for every kind of key.
      {jre, L"Main Class", L"", L"", L"com.example.Main", L"com.example.Main"},
      {jre, L"Virtual Machine Parameters", L"", L"", L"-Xmx512m", L"-Xmx512m"},
      {L"Class Path", L"Class Path", L"", L"", L"lib\b.jar", L"lib\b.jar"},
      // Ordinary keys: joined with one space.
      {jre, L"Virtual Machine Parameters", L"-Dembedded=1", L"", L"-Xmx512m", L"-Dembedded=1 -Xmx512m"},
      {L"Application", L"Cmd", L"-a", L"", L"-b", L"-a -b"},
      // List keys: joined with ";", none added after one that is there.
      {L"Class Path", L"Class Path", L"lib\a.jar", L"", L"lib\b.jar", L"lib\a.jar;lib\b.jar"},
      {L"Class Path", L"Class Path", L"lib\a.jar;", L"", L"lib\b.jar", L"lib\a.jar;lib\b.jar"},
      {jre, L"System Path", L"C:\a", L"", L"C:\b", L"C:\a;C:\b"},
      {jre, L"Library Path", L"C:\a", L"", L"C:\b", L"C:\a;C:\b"},
      {jre, L"Preferred versions", L"1.6", L"", L"1.7;1.8", L"1.6;1.7;1.8"},
      {L"Class Path", L"Module Path", L"mods", L"", L"lib\\fx", L"mods;lib\\fx"},
      // A non-empty file value wins and the "+" section is not read.
      {L"Class Path", L"Class Path", L"lib\a.jar", L"lib\f.jar", L"lib\b.jar", L"lib\f.jar"},
  };
  TempFolder tmp;
  for (const Case& c : cases) {
    WriteTextFile(tmp / L"a.ini", L"[" + c.section + L"]\r\n" + c.key + L"=" + c.file + L"\r\n[" + c.section +
                                      L"+]\r\n" + c.key + L"=" + c.plus + L"\r\n");
    config::SettingsStore store;
    store.Open(tmp / L"a.ini", c.embedded.empty() ? L"" : L"[" + c.section + L"]\r\n" + c.key + L"=" + c.embedded);
    EXPECT_EQ(store.Lookup(c.section.c_str(), c.key.c_str()), c.expected)
        << c.key << ": embedded \"" << c.embedded << "\", \"+\" section \"" << c.plus << "\"";
  }
}

TEST(SettingsStoreLookup, MissingFileGivesEmbeddedValuesOrNothing) {
  TempFolder tmp;
  config::SettingsStore store;
  store.Open(tmp / L"none.ini", L"[Application]\r\nCmd=-a\r\n");
  EXPECT_EQ(store.Lookup(L"Application", L"Cmd"), L"-a");
  EXPECT_EQ(store.Lookup(L"Application", L"Other"), L"");
}

TEST(SettingsFileValues, LongValuesAreReadWhole) {
  TempFolder tmp;
  for (size_t length : {254u, 255u, 256u, 511u, 5000u, 200000u}) {
    std::wstring value(length, L'x');
    value[0] = L'A';
    value.back() = L'Z';
    WriteTextFile(tmp / L"long.ini", L"[S]\r\nK=" + value + L"\r\n");
    EXPECT_EQ(config::ReadFileValue(tmp / L"long.ini", L"S", L"K"), value) << "length " << length;
  }
}

TEST(SettingsFileValues, AnsiAndUtf16FilesAreBothRead) {
  TempFolder tmp;
  WriteTextFile(tmp / L"ansi.ini", L"[S]\r\nK=caf\u00E9\r\n", Encoding::Ansi);
  WriteTextFile(tmp / L"wide.ini", L"[S]\r\nK=\u65E5\u672C\r\n", Encoding::Utf16Bom);
  EXPECT_EQ(config::ReadFileValue(tmp / L"ansi.ini", L"S", L"K"), L"caf\u00E9");
  EXPECT_EQ(config::ReadFileValue(tmp / L"wide.ini", L"S", L"K"), L"\u65E5\u672C");
}

TEST(SettingsFileValues, WrittenFolderNamesSurviveOutsideTheAnsiCodePage) {
  TempFolder tmp;
  std::wstring folder = L"C:\\Laufzeit \u65E5\u672C \u0416\\jre\\";
  config::WriteFileValue(tmp / L"new.ini", kJre, L"JRE Path", folder);
  EXPECT_EQ(config::ReadFileValue(tmp / L"new.ini", kJre, L"JRE Path"), folder);
  // A second write replaces the value in place.
  config::WriteFileValue(tmp / L"new.ini", kJre, L"JRE Path", L"D:\\other\\");
  EXPECT_EQ(config::ReadFileValue(tmp / L"new.ini", kJre, L"JRE Path"), L"D:\\other\\");
}

}  // namespace

namespace {

TEST(SettingsStoreLookup, SectionLetterCaseAndBlanksAreThePlatformReadersBusiness) {
  TempFolder tmp;
  WriteTextFile(tmp / L"a.ini", L"[JAVA RUNTIME ENVIRONMENT]\r\nMain Class=upper.Main\r\n"
                                L"[ Application+ ]\r\nCmd=-x\r\n");
  config::SettingsStore store;
  store.Open(tmp / L"a.ini", L"");
  EXPECT_EQ(store.Lookup(kJre, L"Main Class"), config::ReadFileValue(tmp / L"a.ini", kJre, L"Main Class"));
  EXPECT_EQ(store.Lookup(kJre, L"Main Class"), L"upper.Main");
  std::wstring direct = config::ReadFileValue(tmp / L"a.ini", L"Application+", L"Cmd");
  EXPECT_EQ(store.Lookup(L"Application", L"Cmd"), direct)
      << "the store must find every section the profile reader finds";
}

TEST(SettingsStoreLookup, ManySectionsAreAllSeen) {
  TempFolder tmp;
  std::wstring content;
  for (int i = 0; i < 400; ++i) content += L"[Section number " + std::to_wstring(i) + L" with a long name]\r\nk=v\r\n";
  content += L"[Java Runtime Environment]\r\nMain Class=last.Main\r\n";
  WriteTextFile(tmp / L"a.ini", content);
  config::SettingsStore store;
  store.Open(tmp / L"a.ini", L"");
  EXPECT_EQ(store.Lookup(kJre, L"Main Class"), L"last.Main");
}

}  // namespace

namespace {

// A path of more than 260 characters under `tmp`, which the profile reader cannot open.
std::wstring LongPathIn(const TempFolder& tmp, const std::wstring& name) {
  std::wstring path = tmp.path();
  while (path.size() < 300) path += L"\\a folder with a rather long name";
  return path + L"\\" + name;
}

TEST(SettingsFileValues, FilesInLongPathsAreReadAsTheProfileReaderReadsShortOnes) {
  const struct {
    std::wstring content;
    Encoding encoding;
  } files[] = {
      {L"[Java Runtime Environment]\r\n  Main Class = com.example.Main \r\n[ Application+ ]\r\nCmd=\"-x y\"\r\n"
       L"[S]\r\nK='single'\r\nK2=\"open\r\nK=second\r\nno equals\r\n[application]\r\nCmd=later\r\n[S]\r\nK3=late",
       Encoding::Utf16Bom},
      {L"[S]\nK=caf\u00E9\n[Application]\nCmd = a = b \n[Java Runtime Environment]\nMain Class=\"\"", Encoding::Ansi},
  };
  const std::pair<std::wstring, std::wstring> queries[] = {
      {kJre, L"Main Class"}, {L"JAVA runtime environment", L"main class"}, {L"Application+", L"Cmd"},
      {L"Application", L"Cmd"}, {L"S", L"K"}, {L"S", L"K2"}, {L"S", L"K3"}, {L"S", L"no equals"},
      {L"S", L"Missing"}, {L"Missing", L"K"},
  };
  TempFolder tmp;
  const std::wstring shortFile = tmp / L"short.ini", longFile = LongPathIn(tmp, L"long.ini");
  for (const auto& file : files) {
    WriteTextFile(shortFile, file.content, file.encoding);
    WriteTextFile(longFile, file.content, file.encoding);
    for (const auto& [section, key] : queries) {
      EXPECT_EQ(config::ReadFileValue(longFile, section.c_str(), key.c_str()),
                config::ReadFileValue(shortFile, section.c_str(), key.c_str()))
          << testing::PrintToString(section) << " / " << testing::PrintToString(key) << " in "
          << testing::PrintToString(file.content);
    }
  }
  EXPECT_EQ(config::ReadFileValue(longFile, kJre, L"Main Class"), L"") << "a quoted empty value is empty";
  config::SettingsStore store;
  store.Open(longFile, L"");
  EXPECT_EQ(store.Lookup(L"Application", L"Cmd"), L"a = b") << "the store reads long paths too";
}

}  // namespace
