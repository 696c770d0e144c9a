// A real launcher copy finds today's runtimes: their registrations, JAVA_HOME
// and the install folders, only after the classic sources found nothing.
#include <gtest/gtest.h>

#include <string>

#include "tests/fixtures/chosen_library.h"
#include "tests/fixtures/installed_runtimes.h"
#include "tests/fixtures/runtime_registry.h"
#include "tests/support/launcher_app.h"

namespace {

using runtimetest::ChosenLibrary;
using testsupport::WriteUnloadableLibrary;
using runtimetest::InstalledRuntimes;
using runtimetest::kInstalledLayouts;

const std::wstring kNone = L"(none)";

class InstalledRuntimeEndToEnd : public testing::Test {
 protected:
  // A home with client and server libraries and, when `version` is given, a
  // release file with the given text.
  static std::wstring MakeHome(const std::wstring& home, const std::string& release, bool javac = false) {
    WriteUnloadableLibrary(home + L"\\bin\\client\\jvm.dll");
    WriteUnloadableLibrary(home + L"\\bin\\server\\jvm.dll");
    if (javac) WriteUnloadableLibrary(home + L"\\bin\\javac.exe");
    if (!release.empty()) {
      testsupport::WriteBinaryFile(home + L"\\release", std::vector<unsigned char>(release.begin(), release.end()));
    }
    return home;
  }
  static std::string Release(const std::string& version) { return "JAVA_VERSION=\"" + version + "\"\n"; }

  runtimetest::VendorKeys classicKeys_;  // no classic registration
  InstalledRuntimes installed_;
  testsupport::AppFolder app_;
  testsupport::TempFolder runtimes_;
};

TEST_F(InstalledRuntimeEndToEnd, EachRegistryLayoutFoundAloneWithItsRules) {
  int index = 0;
  for (const auto& layout : kInstalledLayouts) {
    SCOPED_TRACE(testing::Message() << "layout " << testing::PrintToString(std::wstring(layout.key)));
    InstalledRuntimes::DeleteKeys();
    const bool perInstall = std::wstring(layout.value) == L"InstallationPath";
    // One per-install layout gets a JDK home, the other a JRE home.
    const bool jdk = perInstall ? index % 2 == 0 : layout.jdk;
    const std::wstring home =
        MakeHome(runtimes_ / (L"rt" + std::to_wstring(index)), perInstall ? Release("17.0.2") : "", jdk && perInstall);
    // Per-user installs register under HKEY_CURRENT_USER: every third layout here.
    HKEY root = index % 3 == 2 ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
    ASSERT_TRUE(InstalledRuntimes::Register(layout, perInstall ? L"install-17" : L"17.0.2", home, root));

    EXPECT_EQ(ChosenLibrary(app_, L""), home + L"\\bin\\client\\jvm.dll");
    EXPECT_EQ(ChosenLibrary(app_, L"JVM Type=server\r\nMinimum Version=17.0.2\r\n"), home + L"\\bin\\server\\jvm.dll");
    EXPECT_EQ(ChosenLibrary(app_, index % 2 == 0 ? L"Maximum Version=17.0.1\r\n"
                                                 : (jdk ? L"JVM Source=only_JRE\r\n" : L"JVM Source=only_JDK\r\n")),
              kNone);
    ++index;
  }
}

TEST_F(InstalledRuntimeEndToEnd, ClassicSourcesWinAndTheSettingTurnsTheSearchOff) {
  const std::wstring installed = MakeHome(runtimes_ / L"jdk21", "");
  ASSERT_TRUE(InstalledRuntimes::Register(kInstalledLayouts[0], L"21", installed));
  const std::wstring classic = MakeHome(runtimes_ / L"jre8", "");
  ASSERT_TRUE(runtimetest::VendorKeys::Register(runtimetest::View::Native, 1, L"1.8", classic));

  EXPECT_EQ(ChosenLibrary(app_, L""), classic + L"\\bin\\client\\jvm.dll") << "a classic registration comes first";
  runtimetest::VendorKeys::DeleteAll();
  EXPECT_EQ(ChosenLibrary(app_, L""), installed + L"\\bin\\client\\jvm.dll");
  EXPECT_EQ(ChosenLibrary(app_, L"Search Installed Runtimes=no\r\n"), kNone);
  EXPECT_EQ(ChosenLibrary(app_, L"[Java Runtime Environment+]\r\nSearch Installed Runtimes=No\r\n"), kNone)
      << "the setting is layered";
}

TEST_F(InstalledRuntimeEndToEnd, JavaHomeThenInstallFolders) {
  const std::wstring javaHome = MakeHome(runtimes_ / L"jh", Release("11.0.14"), true);
  const std::wstring folder = MakeHome(installed_.ProgramFilesHome(L"Zulu", L"zulu-17"), Release("17.0.1"));

  EXPECT_EQ(ChosenLibrary(app_, L"", javaHome + L"\\"), javaHome + L"\\bin\\client\\jvm.dll");
  EXPECT_EQ(ChosenLibrary(app_, L"JVM Source=only_JRE\r\n", javaHome), folder + L"\\bin\\client\\jvm.dll")
      << "JAVA_HOME with javac.exe is a JDK; the install folder comes next";
  EXPECT_EQ(ChosenLibrary(app_, L"Minimum Version=17.0.2\r\n", javaHome), kNone);
  EXPECT_EQ(ChosenLibrary(app_, L"JVM Type=server\r\n"), folder + L"\\bin\\server\\jvm.dll");
}

TEST_F(InstalledRuntimeEndToEnd, StaleAndGarbageRegistrationsArePassedOver) {
  const std::wstring good = MakeHome(runtimes_ / L"good", "");
  const std::wstring key = L"JavaSoft\\JDK\\";
  const DWORD number = 7;
  const std::vector<unsigned char> noTerminator{'C', 0, ':', 0, '\\', 0, 'x'};  // odd size, no NUL
  const std::wstring veryLong(40000, L'a');
  const std::wstring stale = runtimes_ / L"removed";
  struct Garbage {
    std::wstring name;
    DWORD type;
    const void* data;
    DWORD size;
  } garbage[] = {
      {L"30", REG_DWORD, &number, sizeof number},
      {L"31", REG_BINARY, noTerminator.data(), static_cast<DWORD>(noTerminator.size())},
      {L"32", REG_SZ, noTerminator.data(), static_cast<DWORD>(noTerminator.size())},
      {L"33", REG_SZ, veryLong.c_str(), static_cast<DWORD>((veryLong.size() + 1) * sizeof(wchar_t))},
      {L"34", REG_SZ, stale.c_str(), static_cast<DWORD>((stale.size() + 1) * sizeof(wchar_t))},
      {L"35", REG_SZ, L"", sizeof(wchar_t)},
  };
  for (const Garbage& g : garbage) {
    ASSERT_TRUE(InstalledRuntimes::RegisterValue(HKEY_LOCAL_MACHINE, false, key + g.name, L"JavaHome", g.type, g.data,
                                                 g.size));
  }
  ASSERT_TRUE(InstalledRuntimes::Register(kInstalledLayouts[0], L"17", good));
  EXPECT_EQ(ChosenLibrary(app_, L""), good + L"\\bin\\client\\jvm.dll");
}

}  // namespace
