// The search for today's runtimes: registry layouts, JAVA_HOME and the
// install folders, over in-memory stand-ins.
#include <gtest/gtest.h>

#include "runtime/installed_runtimes.h"
#include "tests/unit/runtime_fakes.h"

namespace {

using runtime::RuntimeSettings;
using runtime::RuntimeSource;
using runtimetest::FakeFiles;
using runtimetest::FakeRegistry;

const std::wstring kServerLib = L"bin\\server\\jvm.dll";

struct Machine {
  FakeFiles files;
  FakeRegistry machineNative, userNative, machine32, user32;
  std::wstring javaHome;

  // A runtime home (ending in a backslash) with a server library and, when
  // `version` is given, a release file.
  void MakeHome(const std::wstring& home, const std::string& version = "") {
    files.Add(home + kServerLib);
    if (!version.empty()) files.AddFile(home + L"release", "IMPLEMENTOR=\"X\"\nJAVA_VERSION=\"" + version + "\"\n");
  }
  runtime::RuntimeChoice Search(const RuntimeSettings& settings) {
    runtime::InstalledRuntimeSources sources{files,    machineNative, userNative,          machine32,
                                             user32,   javaHome,      L"C:\\Program Files", L"C:\\Program Files (x86)"};
    return runtime::SearchInstalledRuntimes(settings, sources);
  }
};

TEST(RuntimeInstalledVersions, KeyNamesAndReleaseFiles) {
  const struct {
    std::wstring_view name;
    bool isVersion;
  } names[] = {{L"17", true},       {L"17.0.2.8", true},   {L"1.8.0_302", true}, {L"17.0.2+8", true},
               {L"zulu-17", false}, {L"CurrentVersion", false}, {L"", false},   {L"17 beta", false}};
  for (const auto& n : names) EXPECT_EQ(runtime::IsVersionName(n.name), n.isVersion) << std::wstring(n.name);

  const struct {
    std::string text;
    std::wstring version;  // empty: none
  } releases[] = {
      {"JAVA_VERSION=\"17.0.2\"\n", L"17.0.2"},
      {"IMPLEMENTOR=\"Azul\"\r\nJAVA_VERSION=\"21\"\r\nOS_NAME=\"Windows\"", L"21.0"},
      {"JAVA_RUNTIME_VERSION=\"17.0.2+8\"\nJAVA_VERSION=\"11.0.14\"", L"11.0.14"},
      {"XJAVA_VERSION=\"17\"", L""},
      {"JAVA_VERSION=\"\"", L""},
      {"JAVA_VERSION=\"99999999999\"", L""},
      {"", L""},
  };
  for (const auto& r : releases) {
    auto version = runtime::VersionFromRelease(r.text);
    EXPECT_EQ(version ? runtime::FormatVersion(*version) : L"", r.version) << r.text;
  }
}

// Which source answers when several hold a runtime.
TEST(RuntimeInstalledSearch, RegistryThenJavaHomeThenFoldersAnd32BitOnlyWithPairProduct) {
  enum Where { kMachine, kUser, kMachine32, kJavaHome, kFolder, kFolder32 };
  const std::wstring homes[] = {L"C:\\m\\", L"C:\\u\\", L"C:\\m32\\", L"C:\\jh\\",
                                L"C:\\Program Files\\Zulu\\zulu-17\\", L"C:\\Program Files (x86)\\Java\\jre8\\"};
  const struct {
    std::vector<Where> present;
    bool pairProduct;
    int chosen;  // index into homes, -1 none
    RuntimeSource source;
  } cases[] = {
      {{kMachine, kUser, kJavaHome, kFolder}, false, kUser, RuntimeSource::InstalledRegistry},  // newest of both roots
      {{kMachine32, kJavaHome, kFolder}, false, kJavaHome, RuntimeSource::JavaHome},
      {{kMachine32, kJavaHome}, true, kMachine32, RuntimeSource::InstalledRegistry32},
      {{kFolder, kFolder32}, false, kFolder, RuntimeSource::InstallFolder},
      {{kFolder32}, false, -1, RuntimeSource::None},
      {{kFolder32}, true, kFolder32, RuntimeSource::InstallFolder32},
  };
  for (const auto& c : cases) {
    Machine m;
    for (Where w : c.present) {
      // Versions rise with the index, so the user's registration is newer than the machine's.
      const std::string version = std::to_string(11 + static_cast<int>(w));
      m.MakeHome(homes[w], version);
      const std::wstring registered = homes[w].substr(0, homes[w].size() - 1);
      switch (w) {
        case kMachine:
          m.machineNative.RegisterString(L"Software\\JavaSoft\\JDK\\", L"11", L"", L"JavaHome", registered);
          break;
        case kUser:
          m.userNative.RegisterString(L"Software\\Eclipse Adoptium\\JRE\\", L"12.0.1", L"\\hotspot\\MSI", L"Path",
                                      registered);
          break;
        case kMachine32:
          m.machine32.RegisterString(L"Software\\BellSoft\\Liberica\\", L"x", L"", L"InstallationPath", registered);
          break;
        case kJavaHome:
          m.javaHome = registered;
          break;
        case kFolder:
          m.files.AddFolder(L"C:\\Program Files\\Zulu\\", L"zulu-17");
          break;
        case kFolder32:
          m.files.AddFolder(L"C:\\Program Files (x86)\\Java\\", L"jre8");
          break;
      }
    }
    RuntimeSettings settings;
    settings.hasPairProduct = c.pairProduct;
    runtime::RuntimeChoice choice = m.Search(settings);
    EXPECT_EQ(choice.source, c.source) << "case with chosen " << c.chosen;
    EXPECT_EQ(choice.jvmLibraryPath, c.chosen < 0 ? L"" : homes[c.chosen] + kServerLib);
  }
}

}  // namespace
