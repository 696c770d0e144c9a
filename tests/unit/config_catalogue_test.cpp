// What the values of the settings mean, and where the settings files are.
#include <gtest/gtest.h>

#include "config/profile_text.h"
#include "config/settings_catalogue.h"
#include "config/settings_paths.h"

#include <algorithm>

namespace {

using config::JvmType;

TEST(SettingsCatalogue, FlagWordsAndTheirLetterCase) {
  for (const wchar_t* yes : {L"Yes", L"YES", L"yes", L"yEs"}) EXPECT_TRUE(config::IsYes(yes));
  for (const wchar_t* no : {L"true", L"1", L"", L"Yes ", L"Y"}) EXPECT_FALSE(config::IsYes(no));
  EXPECT_TRUE(config::IsSingleInstanceOn(L"yes"));
  EXPECT_FALSE(config::IsSingleInstanceOn(L"Yes"));
  EXPECT_FALSE(config::IsSingleInstanceOn(L"YES"));
  EXPECT_TRUE(config::IsServiceType(L"service"));
  EXPECT_FALSE(config::IsServiceType(L"Service"));
}

TEST(SettingsCatalogue, JvmTypeIsExact) {
  EXPECT_EQ(config::ParseJvmType(L"server"), JvmType::Server);
  EXPECT_EQ(config::ParseJvmType(L"favor_server"), JvmType::FavorServer);
  EXPECT_EQ(config::ParseJvmType(L"Server"), JvmType::Any);
  EXPECT_EQ(config::ParseJvmType(L""), JvmType::Any);
  EXPECT_EQ(config::ParseJvmType(L"client"), JvmType::Any);
}

TEST(SettingsCatalogue, JvmSourceTable) {
  struct Row {
    const wchar_t* value;
    bool jdk, jre, favor;
  } rows[] = {
      {L"", true, true, true},           {L"favor_JRE", false, true, true}, {L"favor_JDK", true, false, true},
      {L"only_JRE", false, true, false}, {L"only_JDK", true, false, false}, {L"ONLY_jre", false, false, false},
      {L"both", false, false, false},
  };
  for (const auto& r : rows) {
    auto f = config::ParseJvmSource(r.value);
    EXPECT_EQ(f.searchJdk, r.jdk) << "value [" << std::string(r.value, r.value + wcslen(r.value)) << "]";
    EXPECT_EQ(f.searchJre, r.jre) << "value [" << std::string(r.value, r.value + wcslen(r.value)) << "]";
    EXPECT_EQ(f.favorMode, r.favor) << "value [" << std::string(r.value, r.value + wcslen(r.value)) << "]";
  }
}

TEST(SettingsCatalogue, VmProviderTableIgnoresCase) {
  struct Row {
    const wchar_t* value;
    bool aJr, fJr, aSun, fSun, aIbm, fIbm;
  } rows[] = {
      {L"", 0, 0, 1, 1, 0, 0},           {L"sun", 0, 0, 1, 1, 0, 0},         {L"jrockit", 1, 1, 0, 0, 0, 0},
      {L"IBM", 0, 0, 0, 0, 1, 1},        {L"favor_sun", 1, 0, 1, 1, 1, 0},   {L"Favor_JRockit", 1, 1, 1, 0, 1, 0},
      {L"favor_ibm", 1, 0, 1, 0, 1, 1},  {L"ANY", 1, 0, 1, 0, 1, 0},         {L"other", 0, 0, 1, 1, 0, 0},
  };
  for (const auto& r : rows) {
    auto f = config::ParseVmProvider(r.value);
    std::string name(r.value, r.value + wcslen(r.value));
    EXPECT_EQ(f.allowJRockit, r.aJr) << name;
    EXPECT_EQ(f.favorJRockit, r.fJr) << name;
    EXPECT_EQ(f.allowSun, r.aSun) << name;
    EXPECT_EQ(f.favorSun, r.fSun) << name;
    EXPECT_EQ(f.allowIbm, r.aIbm) << name;
    EXPECT_EQ(f.favorIbm, r.fIbm) << name;
  }
}

TEST(SettingsCatalogue, MainModuleFormsAndMainClass) {
  const struct {
    const wchar_t *mainClass, *mainModule, *classToRun, *module;
  } rows[] = {
      {L"com.example.Main", L"", L"com/example/Main", L""},
      {L"com.example.Main", L"app.core", L"com/example/Main", L"app.core"},      // the module's class named
      {L"", L"app.core", L"", L"app.core"},                                      // the descriptor's class
      {L"com.example.Other", L"app.core/app.core.Main", L"app/core/Main", L"app.core"},  // module/class wins
      {L"", L"app.core/", L"", L"app.core"},
      {L"com.example.Main", L"app.core/", L"com/example/Main", L"app.core"},  // "module/" names no class
      {L"", L"", L"", L""},
  };
  for (const auto& r : rows) {
    const config::MainEntry entry = config::ParseMainEntry(r.mainClass, r.mainModule);
    EXPECT_EQ(entry.mainClass, r.classToRun) << "Main Class [" << r.mainClass << "], Main Module [" << r.mainModule << "]";
    EXPECT_EQ(entry.mainModule, r.module) << "Main Class [" << r.mainClass << "], Main Module [" << r.mainModule << "]";
  }
}

TEST(SettingsCatalogue, MainModuleIsAModuleNameWithAnOptionalClass) {
  for (const wchar_t* good : {L"app", L"app.core", L"a1._x$.\u00e9t\u00e9", L"app.core/", L"app.core/app.Main", L"m/C"}) {
    EXPECT_TRUE(config::IsMainModuleValue(good)) << testing::PrintToString(std::wstring(good));
  }
  for (const wchar_t* bad : {L"my mod", L"=x", L"m\"x", L"1app", L"app.", L".app", L"a..b", L"/app.Main", L"app/a b",
                             L"app/x/y", L"app/.Main", L"app-core", L" app"}) {
    EXPECT_FALSE(config::IsMainModuleValue(bad)) << testing::PrintToString(std::wstring(bad));
  }
}

TEST(SettingsPaths, SettingsFileIsCutAtTheLastDotOfThePath) {
  EXPECT_EQ(config::SettingsPathFor(L"C:\\Apps\\Tool\\tool.exe").value_or(L"-"), L"C:\\Apps\\Tool\\tool.ini");
  EXPECT_EQ(config::SettingsPathFor(L"C:\\my.apps\\tool").value_or(L"-"), L"C:\\my.ini");
  EXPECT_EQ(config::SettingsPathFor(L"C:\\a\\b.c.exe").value_or(L"-"), L"C:\\a\\b.c.ini");
  EXPECT_FALSE(config::SettingsPathFor(L"C:\\apps\\tool").has_value());
}

TEST(SettingsPaths, PerUserPathCleansTheProductName) {
  EXPECT_EQ(config::CleanProductName(L"A/B: Tools?"), L"AB Tools");
  EXPECT_EQ(config::CleanProductName(L"\\?\"|><:/*"), L"");
  EXPECT_EQ(config::PerUserSettingsPathFor(L"C:\\Apps\\Tool\\tool.exe", L"A/B: Tools?", L"{P-1}",
                                           L"C:\\Users\\u\\AppData\\Roaming"),
            L"C:\\Users\\u\\AppData\\Roaming\\AB Tools\\{P-1}\\tool.ini");
  // The rule alone: an empty folder text gives a path from the root.
  EXPECT_EQ(config::PerUserSettingsPathFor(L"tool", L"P", L"C", L""), L"\\P\\C\\tool.ini");
  EXPECT_EQ(config::PerUserSettingsPathFor(L"D:\\x.y\\pair.v2.exe", L"P", L"C", L"R"), L"R\\P\\C\\pair.v2.ini");
  // Without a Product Name or Code no empty folder is named: the same file, one separator each.
  EXPECT_EQ(config::PerUserSettingsPathFor(L"C:\\A\\app.exe", L"", L"", L"R"), L"R\\app.ini");
  EXPECT_EQ(config::PerUserSettingsPathFor(L"C:\\A\\app.exe", L"?*", L"C", L"R"), L"R\\C\\app.ini");
}

TEST(SettingsPaths, RelativePathsAreTakenFromTheExecutablesFolder) {
  const std::wstring exe = L"C:\\Apps\\Tool\\tool.exe";
  const struct {
    const wchar_t* path;
    const wchar_t* resolved;
  } cases[] = {
      {L"App32.exe", L"C:\\Apps\\Tool\\App32.exe"},
      {L"x86 build\\app32.exe", L"C:\\Apps\\Tool\\x86 build\\app32.exe"},
      {L"..\\x86\\app32.exe", L"C:\\Apps\\Tool\\..\\x86\\app32.exe"},
      {L"D:\\x86\\app32.exe", L"D:\\x86\\app32.exe"},
      {L"D:app32.exe", L"D:app32.exe"},
      {L"\\\\server\\share\\app32.exe", L"\\\\server\\share\\app32.exe"},
      {L"\\x86\\app32.exe", L"C:\\x86\\app32.exe"},
      {L"/x86/app32.exe", L"C:/x86/app32.exe"},
      {L"//server/share/jre", L"//server/share/jre"},
      {L"jre", L"C:\\Apps\\Tool\\jre"},
      {L"", L""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(config::ResolveFromExecutableFolder(c.path, exe), c.resolved) << testing::PrintToString(c.path);
  }
  // A rooted path is on the executable's own drive or share.
  EXPECT_EQ(config::ResolveFromExecutableFolder(L"\\jre", L"\\\\srv\\apps\\Tool\\tool.exe"), L"\\\\srv\\apps\\jre");
  EXPECT_EQ(config::ResolveFromExecutableFolder(L"\\jre", L"\\\\?\\D:\\Tool\\tool.exe"), L"\\\\?\\D:\\jre");
  EXPECT_EQ(config::ResolveFromExecutableFolder(L"a.exe", L"tool.exe"), L"a.exe") << "no folder to take it from";
}

TEST(SettingsPaths, PairedSettingsPath) {
  EXPECT_EQ(config::GetPairedSettingsPath(L"C:\\x86\\app32.exe").value_or(L"-"), L"C:\\x86\\app32.ini");
  EXPECT_FALSE(config::GetPairedSettingsPath(L"").has_value());
  EXPECT_FALSE(config::GetPairedSettingsPath(L"C:\\x86\\app32").has_value());
}

}  // namespace

namespace {

// A module path reader with GetModuleFileNameW's contract over a fixed path.
struct FakeModule {
  std::wstring path;
  DWORD failWith = 0;
  int calls = 0;
  static DWORD Read(void* context, wchar_t* buffer, DWORD size, DWORD* error) {
    auto* self = static_cast<FakeModule*>(context);
    ++self->calls;
    if (self->failWith != 0) {
      *error = self->failWith;
      return 0;
    }
    size_t n = std::min<size_t>(self->path.size(), size - 1);
    std::copy_n(self->path.begin(), n, buffer);
    buffer[n] = L'\0';
    if (self->path.size() >= size) {
      *error = ERROR_INSUFFICIENT_BUFFER;
      return size;
    }
    return static_cast<DWORD>(n);
  }
};

TEST(SettingsPaths, ExecutablePathIsReadWholeHoweverLong) {
  for (size_t length : {10u, 259u, 260u, 261u, 700u, 5000u}) {
    FakeModule module{std::wstring(length - 4, L'd') + L".exe"};
    DWORD error = 0;
    auto path = config::ReadWholeModulePath(&FakeModule::Read, &module, &error);
    ASSERT_TRUE(path.has_value()) << "length " << length;
    EXPECT_EQ(*path, module.path) << "length " << length;
  }
  FakeModule failing{L"x", ERROR_ACCESS_DENIED};
  DWORD error = 0;
  EXPECT_FALSE(config::ReadWholeModulePath(&FakeModule::Read, &failing, &error).has_value());
  EXPECT_EQ(error, DWORD{ERROR_ACCESS_DENIED});
  FakeModule endless{std::wstring(70000, L'x')};
  EXPECT_FALSE(config::ReadWholeModulePath(&FakeModule::Read, &endless, &error).has_value())
      << "a path longer than Windows allows must not grow the buffer for ever";
  EXPECT_LE(endless.calls, 10);
}

TEST(SettingsCatalogue, AnUnknownKeyOfTheLaunchersSectionsNamesTheNearestKnownOne) {
  const std::wstring text =
      L"top=1\r\n[Java Runtime Environment]\r\nMain Clas=a.B\r\nJRE Path=jre\r\n[Class Path+]\r\n class path = x\r\n"
      L"Modul Path\r\n[Application]\r\nSingle Instanse=yes\r\n[My Own]\r\nColour=red\r\n";
  const struct {
    const wchar_t *section, *key, *nearest;
  } expected[] = {
      {L"", L"top", nullptr},
      {L"Java Runtime Environment", L"Main Clas", L"Main Class"},
      {L"Java Runtime Environment", L"JRE Path", nullptr},
      {L"Class Path+", L"class path", nullptr},
      {L"Class Path+", L"Modul Path", L"Module Path"},
      {L"Application", L"Single Instanse", L"Single Instance"},
      {L"My Own", L"Colour", nullptr},  // the application's own section
  };
  static std::vector<std::pair<std::wstring, std::wstring>> keys;
  keys.clear();
  config::VisitProfileKeys(text, [](std::wstring_view section, std::wstring_view key) {
    keys.emplace_back(section, key);
  });
  ASSERT_EQ(keys.size(), std::size(expected));
  for (std::size_t i = 0; i < keys.size(); ++i) {
    EXPECT_EQ(keys[i].first, expected[i].section);
    EXPECT_EQ(keys[i].second, expected[i].key);
    const auto nearest = config::NearestCatalogueKey(keys[i].first, keys[i].second);
    EXPECT_EQ(std::wstring(nearest.value_or(L"-")), std::wstring(expected[i].nearest ? expected[i].nearest : L"-"))
        << keys[i].second;
  }
}

}  // namespace
