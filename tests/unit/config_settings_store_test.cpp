// The layered lookup over the embedded text, the file and its "+" section,
// and the writes of the profile writer read back (the reader itself is
// checked against the profile reader in config_profile_reader_test.cpp).
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "config/settings_catalogue.h"
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
      {jre, L"System Path", L"C:\\a", L"", L"C:\\b", L"C:\\a;C:\\b"},
      {jre, L"Library Path", L"C:\\a", L"", L"C:\\b", L"C:\\a;C:\\b"},
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

// Every key of the catalogue is read as the catalogue says: a layered key
// takes the embedded value and the "+" section, any other only the file's.
TEST(SettingsStoreLookup, EachCatalogueKeyIsReadThroughTheLayersItsEntrySays) {
  TempFolder tmp;
  // Only the first section of a name counts: each once, with all its keys.
  std::map<std::wstring, std::vector<std::wstring>> keysOf;
  for (const config::CatalogueKey& k : config::kCatalogueKeys) keysOf[std::wstring(k.section)].emplace_back(k.key);
  std::wstring file, embedded;
  for (const auto& [section, keys] : keysOf) {
    file += L"[" + section + L"+]\r\n";
    embedded += L"[" + section + L"]\r\n";
    for (const std::wstring& key : keys) {
      file += key + L"=plus\r\n";
      embedded += key + L"=embedded\r\n";
    }
  }
  WriteTextFile(tmp / L"layers.ini", file);
  config::SettingsStore store;
  store.Open(tmp / L"layers.ini", embedded);
  for (const config::CatalogueKey& k : config::kCatalogueKeys) {
    const std::wstring value = store.Lookup(k.section, k.key);
    EXPECT_EQ(value.empty(), !k.layered) << std::wstring(k.section) << " / " << std::wstring(k.key) << ": " << value;
  }
}

TEST(SettingsStoreLookup, MissingFileGivesEmbeddedValuesOrNothing) {
  TempFolder tmp;
  config::SettingsStore store;
  store.Open(tmp / L"none.ini", L"[Application]\r\nCmd=-a\r\n");
  EXPECT_EQ(store.Lookup(L"Application", L"Cmd"), L"-a");
  EXPECT_EQ(store.Lookup(L"Application", L"Other"), L"");
}

TEST(SettingsStoreLookup, EachStoreReadsTheFileAsItIsWhenOpened) {
  TempFolder tmp;
  WriteTextFile(tmp / L"a.ini", L"[Application]\r\nCmd=-before\r\n");
  config::SettingsStore stage;
  stage.Open(tmp / L"a.ini");
  WriteTextFile(tmp / L"a.ini", L"[Application]\r\nCmd=-after\r\n[Display]\r\nSplash Screen=s.bmp\r\n");
  EXPECT_EQ(stage.Lookup(L"Application", L"Cmd"), L"-before") << "a stage reads the text it opened";
  EXPECT_EQ(stage.Lookup(L"Display", L"Splash Screen"), L"");
  config::SettingsStore nextStage;
  nextStage.Open(tmp / L"a.ini");
  EXPECT_EQ(nextStage.Lookup(L"Application", L"Cmd"), L"-after") << "the next stage sees the changed file";
  EXPECT_EQ(nextStage.Lookup(L"Display", L"Splash Screen"), L"s.bmp");
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

// A path of more than 260 characters under `tmp`, which the profile reader cannot open.
std::wstring LongPathIn(const TempFolder& tmp, const std::wstring& name) {
  std::wstring path = tmp.path();
  while (path.size() < 300) path += L"\\a folder with a rather long name";
  return path + L"\\" + name;
}

TEST(SettingsFileValues, FilesInLongPathsAreWrittenAsTheProfileWriterWritesShortOnes) {
  const struct {
    const wchar_t* content;  // nullptr: no file yet
    Encoding encoding;
  } files[] = {
      {nullptr, Encoding::Utf16Bom},
      {L"[Application]\r\nCmd=-x\r\n[Java Runtime Environment]\r\nMain Class=M\r\n", Encoding::Ansi},
      {L"[Java Runtime Environment]\r\nJRE Path=C:\\old\\\r\n[Application]\r\nCmd=\u65E5\r\n", Encoding::Utf16Bom},
  };
  const std::pair<std::wstring, std::wstring> queries[] = {
      {kJre, L"JRE Path"}, {kJre, L"Main Class"}, {L"Application", L"Cmd"}};
  TempFolder tmp;
  const std::wstring shortFile = tmp / L"short.ini", longFile = LongPathIn(tmp, L"long.ini");
  WriteTextFile(LongPathIn(tmp, L"other.txt"), L"x");  // makes the folders
  for (const auto& file : files) {
    DeleteFileW(shortFile.c_str());
    DeleteFileW((L"\\\\?\\" + longFile).c_str());
    if (file.content != nullptr) {
      WriteTextFile(shortFile, file.content, file.encoding);
      WriteTextFile(longFile, file.content, file.encoding);
    }
    for (const wchar_t* folder : {L"C:\\first\\", L"C:\\second jre\\"}) {
      EXPECT_TRUE(config::WriteFileValue(shortFile, kJre, L"JRE Path", folder));
      EXPECT_TRUE(config::WriteFileValue(longFile, kJre, L"JRE Path", folder)) << "the long path was not written";
      for (const auto& [section, key] : queries) {
        EXPECT_EQ(config::ReadFileValue(longFile, section.c_str(), key.c_str()),
                  config::ReadFileValue(shortFile, section.c_str(), key.c_str()))
            << key << " after writing " << testing::PrintToString(folder) << " into "
            << testing::PrintToString(file.content ? file.content : L"no file");
      }
    }
  }
  config::WriteFileValue(longFile, kJre, L"JRE Path", L"C:\\Laufzeit \u65E5\u672C\\");
  EXPECT_EQ(config::ReadFileValue(longFile, kJre, L"JRE Path"), L"C:\\Laufzeit \u65E5\u672C\\");
}

TEST(SettingsFileValues, AFailedWriteChangesNothing) {
  TempFolder tmp;
  const std::wstring longFolder = LongPathIn(tmp, L"folder");
  WriteTextFile(longFolder + L"\\other.txt", L"x");  // makes the folders
  for (const std::wstring& folder : {tmp.path(), longFolder}) {
    // A folder stands where the file would be; another folder does not exist.
    const std::wstring blocked = folder + L"\\blocked.ini", nowhere = folder + L"\\missing\\new.ini";
    CreateDirectoryW((L"\\\\?\\" + blocked).c_str(), nullptr);
    EXPECT_FALSE(config::WriteFileValue(blocked, kJre, L"JRE Path", L"C:\\jre\\")) << blocked.size();
    EXPECT_FALSE(config::WriteFileValue(nowhere, kJre, L"JRE Path", L"C:\\jre\\")) << nowhere.size();
    const DWORD attributes = GetFileAttributesW((L"\\\\?\\" + blocked).c_str());
    EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_FALSE(testsupport::FileExists(L"\\\\?\\" + folder + L"\\missing"));
  }
}

}  // namespace
