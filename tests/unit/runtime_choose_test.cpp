// The runtime stage over real registry keys (both views)
// and runtime folders made by the test.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>

#include "common/splitting.h"
#include "config/settings_catalogue.h"
#include "config/settings_paths.h"
#include "launcher/launcher.h"
#include "runtime/runtime_search.h"
#include "tests/fixtures/runtime_registry.h"
#include "tests/support/test_files.h"

namespace {

using runtimetest::VendorKeys;
using runtimetest::View;

enum Key { kSunJdk = 0, kSunJre = 1, kJRockitJre = 2, kJRockitJdk = 3, kIbmJre = 4 };

// The stored setting texts, turned into the launch's settings as the
// settings stage does.
struct Settings {
  std::wstring jrePath = {};
  std::wstring jvmType = {};
  std::wstring jvmSource = {};
  std::wstring vmProvider = {};
  std::wstring minimum = {};
  std::wstring maximum = {};
  std::wstring preferred = {};
  std::wstring pairProduct = {};
};

struct Outcome {
  bool found = false;
  std::wstring library;
  bool is32Bit = false;
};

Outcome Choose(const Settings& s) {
  launcher::LaunchSettings settings;
  settings.executablePath = config::GetExecutablePath(nullptr).value();
  runtime::RuntimeSettings& search = settings.search;
  search.jrePath = s.jrePath;
  search.jvmType = config::ParseJvmType(s.jvmType);
  runtime::SetSourceAndProvider(search, s.jvmSource, s.vmProvider);
  search.minimumVersion = runtime::MinimumVersionSetting(s.minimum);
  search.maximumVersion = runtime::MaximumVersionSetting(s.maximum);
  text::SplitBySeparator(search.preferredVersions, s.preferred, L";");
  settings.pairProduct = s.pairProduct;
  search.hasPairProduct = !s.pairProduct.empty();
  launcher::ChosenRuntime chosen;
  Outcome outcome;
  outcome.found = chosen.ChooseRuntime(settings);
  outcome.library = chosen.jvmLibraryPath;
  outcome.is32Bit = chosen.runByPairedProduct;
  return outcome;
}

std::wstring Fixture(const wchar_t* machine) {
  return testsupport::BinDir() + L"\\fixtures\\" + machine + L"\\jvm.dll";
}

class RuntimeChooseRuntime : public testing::Test {
 protected:
  // A runtime home under the test's folder with a jvm.dll (a copy of `dll`)
  // in each of the given bin subfolders; returns its path without a backslash.
  std::wstring MakeRuntime(const std::wstring& name, std::initializer_list<const wchar_t*> folders,
                           const std::wstring& dll = Fixture(L"x64")) {
    std::wstring home = folder_ / name;
    for (const wchar_t* f : folders) testsupport::CopyFileTo(dll, home + L"\\bin\\" + f + L"\\jvm.dll");
    return home;
  }
  void Register(View view, Key key, const std::wstring& name, const std::wstring& javaHome) {
    ASSERT_TRUE(VendorKeys::Register(view, key, name, javaHome)) << "cannot write registration " << name;
  }

  VendorKeys keys_;
  testsupport::TempFolder folder_;
};

TEST_F(RuntimeChooseRuntime, VersionBoundsAndPreferredVersions) {
  std::wstring jre6 = MakeRuntime(L"jre6", {L"client"});
  std::wstring jre631 = MakeRuntime(L"jre631", {L"client"});
  std::wstring jre7 = MakeRuntime(L"jre7", {L"client"});
  Register(View::Native, kSunJre, L"1.6", jre6);
  Register(View::Native, kSunJre, L"1.6.0_31", jre631);
  Register(View::Native, kSunJre, L"1.7", jre7);
  const std::wstring lib = L"\\bin\\client\\jvm.dll";
  struct Case {
    std::wstring minimum, maximum, preferred;
    std::wstring library;  // empty: none found
  };
  const Case cases[] = {
      {L"", L"", L"", jre7 + lib},
      {L"1.6", L"1.6", L"", jre631 + lib},            // maximum 1.6 reads 1.6.65535.65535
      {L"1.6.0_31", L"1.6.0_31", L"", jre631 + lib},  // both bounds inclusive
      {L"1.6.0_32", L"1.6", L"", L""},
      {L"", L"", L"1.6", jre631 + lib},  // preferred 1.6 matches 1.6.0.31
      {L"", L"", L"1.8", jre7 + lib},
  };
  for (const Case& c : cases) {
    Outcome outcome = Choose({.minimum = c.minimum, .maximum = c.maximum, .preferred = c.preferred});
    EXPECT_EQ(outcome.found, !c.library.empty())
        << "minimum \"" << c.minimum << "\", maximum \"" << c.maximum << "\", preferred \"" << c.preferred << "\"";
    EXPECT_EQ(outcome.library, c.library)
        << "minimum \"" << c.minimum << "\", maximum \"" << c.maximum << "\", preferred \"" << c.preferred << "\"";
    EXPECT_FALSE(outcome.is32Bit);
  }
}

TEST_F(RuntimeChooseRuntime, JdkHomeGainsJreFolder) {
  std::wstring jdk8 = MakeRuntime(L"jdk8\\jre", {L"server"});
  jdk8.resize(jdk8.size() - 4);                           // the JDK's own folder
  std::wstring jdk9 = MakeRuntime(L"jdk9", {L"client"});  // no jre folder: not usable
  Register(View::Native, kSunJdk, L"1.8.0_5", jdk8);
  Register(View::Native, kSunJdk, L"1.9", jdk9);
  Outcome outcome = Choose({});
  EXPECT_TRUE(outcome.found);
  EXPECT_EQ(outcome.library, jdk8 + L"\\jre\\bin\\server\\jvm.dll");
}

TEST_F(RuntimeChooseRuntime, ServerTypeSkipsClientHomesAndFavorServerTakesThem) {
  std::wstring client = MakeRuntime(L"client8", {L"client"});
  Register(View::Native, kSunJre, L"1.8", client);
  EXPECT_FALSE(Choose({.jvmType = L"server"}).found) << "a client-only home must not serve JVM Type server";
  EXPECT_EQ(Choose({.jvmType = L"favor_server"}).library, client + L"\\bin\\client\\jvm.dll");
  EXPECT_EQ(Choose({.jvmType = L"Server"}).library, client + L"\\bin\\client\\jvm.dll") << "case matters";

  std::wstring server = MakeRuntime(L"server7", {L"server"});
  Register(View::Native, kSunJre, L"1.7", server);
  EXPECT_EQ(Choose({.jvmType = L"server"}).library, server + L"\\bin\\server\\jvm.dll");
  EXPECT_EQ(Choose({.jvmType = L"favor_server"}).library, server + L"\\bin\\server\\jvm.dll");
  EXPECT_EQ(Choose({}).library, client + L"\\bin\\client\\jvm.dll");
}

TEST_F(RuntimeChooseRuntime, JvmSourceAndVmProviderSelectKeys) {
  const std::pair<Key, const wchar_t*> registrations[] = {
      {kSunJdk, L"1.6"}, {kSunJre, L"1.7"}, {kJRockitJre, L"1.9"}, {kJRockitJdk, L"1.8"}, {kIbmJre, L"1.5"}};
  std::wstring homes[5];
  for (const auto& [key, version] : registrations) {
    bool jdk = key == kSunJdk || key == kJRockitJdk;
    std::wstring javaHome = folder_ / (L"vendor" + std::to_wstring(key));
    homes[key] = MakeRuntime(L"vendor" + std::to_wstring(key) + (jdk ? L"\\jre" : L""), {L"jrockit"});
    Register(View::Native, key, version, javaHome);
  }
  struct Case {
    std::wstring source, provider;
    int key;  // -1: none
  };
  // Each vendor key is reached under its own name.
  const Case cases[] = {
      {L"", L"", kSunJre},
      {L"only_JDK", L"", kSunJdk},
      {L"", L"jrockit", kJRockitJre},
      {L"only_JDK", L"jrockit", kJRockitJdk},
      {L"", L"IBM", kIbmJre},
      {L"bogus", L"any", -1},
  };
  for (const Case& c : cases) {
    Outcome outcome = Choose({.jvmSource = c.source, .vmProvider = c.provider});
    std::wstring expected = c.key < 0 ? L"" : homes[c.key] + L"\\bin\\jrockit\\jvm.dll";
    EXPECT_EQ(outcome.library, expected) << "JVM Source \"" << c.source << "\", VM Provider \"" << c.provider << "\"";
    EXPECT_EQ(outcome.found, c.key >= 0) << "JVM Source \"" << c.source << "\"";
  }
}

TEST_F(RuntimeChooseRuntime, JrePathWinsOverRegistrations) {
  std::wstring registered = MakeRuntime(L"jre8", {L"client", L"server"});
  Register(View::Native, kSunJre, L"1.8", registered);
  std::wstring configured = MakeRuntime(L"configured", {L"hotspot"});
  for (const std::wstring& jrePath : {configured, configured + L"\\"}) {
    // No version, kind or vendor rule applies to "JRE Path".
    Outcome outcome = Choose({.jrePath = jrePath, .jvmSource = L"bogus", .minimum = L"99"});
    EXPECT_TRUE(outcome.found) << jrePath;
    EXPECT_EQ(outcome.library, configured + L"\\bin\\hotspot\\jvm.dll") << jrePath;
  }
  // A "JRE Path" without a library is passed over.
  EXPECT_EQ(Choose({.jrePath = folder_ / L"nothing"}).library, registered + L"\\bin\\client\\jvm.dll");
  EXPECT_EQ(Choose({.jrePath = configured, .jvmType = L"server"}).library, registered + L"\\bin\\server\\jvm.dll")
      << "a configured home without a server library must not serve JVM Type server";
}

TEST_F(RuntimeChooseRuntime, ThirtyTwoBitViewOnlyWithPairProduct) {
  // The 32-bit pass marks its runtime without reading the library.
  std::wstring home32 = MakeRuntime(L"jre32", {L"client"}, Fixture(L"x64"));
  Register(View::Bits32, kSunJre, L"1.8", home32);

  Outcome alone = Choose({});
  EXPECT_FALSE(alone.found) << "the 32-bit view was read without a Pair Product";
  EXPECT_FALSE(alone.is32Bit);

  Outcome paired = Choose({.pairProduct = L"C:\\app\\app32.exe"});
  EXPECT_TRUE(paired.found);
  EXPECT_EQ(paired.library, home32 + L"\\bin\\client\\jvm.dll");
  EXPECT_TRUE(paired.is32Bit);

  std::wstring native = MakeRuntime(L"jre64", {L"client"}, Fixture(L"x86"));
  Register(View::Native, kSunJre, L"1.6", native);
  Outcome both = Choose({.pairProduct = L"C:\\app\\app32.exe"});
  EXPECT_EQ(both.library, native + L"\\bin\\client\\jvm.dll") << "the native view comes first, whatever the versions";
  EXPECT_FALSE(both.is32Bit) << "a native registration is never marked 32-bit";
}

TEST_F(RuntimeChooseRuntime, JrePathLibraryMachineDecides32Bit) {
  std::wstring x86 = MakeRuntime(L"x86", {L"client"}, Fixture(L"x86"));
  std::wstring x64 = MakeRuntime(L"x64", {L"client"}, Fixture(L"x64"));
  testsupport::TempFolder other;
  std::wstring cut = other / L"cut";
  testsupport::WriteBinaryFile(cut + L"\\bin\\client\\jvm.dll", {'M', 'Z', 0, 0});
  struct Case {
    std::wstring jrePath, pairProduct;
    bool is32Bit;
  };
  const Case cases[] = {
      {x86, L"app32.exe", true},
      {x64, L"app32.exe", false},
      {x86, L"", false},  // no paired product: never 32-bit
      {cut, L"app32.exe", false},
  };
  for (const Case& c : cases) {
    Outcome outcome = Choose({.jrePath = c.jrePath, .pairProduct = c.pairProduct});
    EXPECT_TRUE(outcome.found) << c.jrePath;
    EXPECT_EQ(outcome.library, c.jrePath + L"\\bin\\client\\jvm.dll");
    EXPECT_EQ(outcome.is32Bit, c.is32Bit) << c.jrePath << " with Pair Product \"" << c.pairProduct << "\"";
  }
}

TEST_F(RuntimeChooseRuntime, StaleRegistrationsArePassedOver) {
  std::wstring good = MakeRuntime(L"good", {L"client"});
  Register(View::Native, kSunJre, L"1.7", good);
  Register(View::Native, kSunJre, L"1.9", folder_ / L"removed");                                // folder gone
  ASSERT_TRUE(VendorKeys::RegisterValue(View::Native, kSunJre, L"1.8.1", REG_SZ, nullptr, 0));  // no value
  const wchar_t empty[] = L"";
  ASSERT_TRUE(VendorKeys::RegisterValue(View::Native, kSunJre, L"1.8.2", REG_SZ, empty, 0));  // size zero
  ASSERT_TRUE(VendorKeys::RegisterValue(View::Native, kSunJre, L"1.8.3", REG_SZ, empty, sizeof(wchar_t)));
  DWORD number = 0x43;  // reads as the text "C"
  ASSERT_TRUE(VendorKeys::RegisterValue(View::Native, kSunJre, L"1.8.4", REG_DWORD, &number, sizeof number));
  const unsigned char odd[] = {'C', 0, ':'};
  ASSERT_TRUE(VendorKeys::RegisterValue(View::Native, kSunJre, L"1.8.5", REG_BINARY, odd, sizeof odd));
  Register(View::Native, kSunJdk, L"1.9", good);  // a JRE's folder registered as a JDK: no jre\ inside
  ASSERT_TRUE(VendorKeys::RegisterValue(View::Native, kSunJdk, L"1.8", REG_SZ, nullptr, 0));

  Outcome outcome = Choose({});
  EXPECT_TRUE(outcome.found);
  EXPECT_EQ(outcome.library, good + L"\\bin\\client\\jvm.dll");

  VendorKeys::DeleteAll();
  Register(View::Native, kSunJre, L"1.9", folder_ / L"removed");
  ASSERT_TRUE(VendorKeys::RegisterValue(View::Native, kSunJre, L"1.8.2", REG_SZ, empty, 0));
  Outcome none = Choose({.pairProduct = L"app32.exe"});
  EXPECT_FALSE(none.found);
  EXPECT_TRUE(none.library.empty()) << none.library;
  EXPECT_FALSE(none.is32Bit);
}

TEST_F(RuntimeChooseRuntime, NothingAnywhereFindsNothing) {
  Outcome outcome = Choose({.jrePath = folder_ / L"missing", .pairProduct = L"app32.exe"});
  EXPECT_FALSE(outcome.found);
  EXPECT_TRUE(outcome.library.empty());
  EXPECT_FALSE(outcome.is32Bit);
}

TEST_F(RuntimeChooseRuntime, RegistryReaderReadsEachViewRaw) {
  runtime::RegistryViewReader native(runtime::RegistryView::Native), view32(runtime::RegistryView::Bits32);
  EXPECT_EQ(native.access(), static_cast<REGSAM>(0x20019));
  EXPECT_EQ(view32.access(), static_cast<REGSAM>(0x20219));
  const std::wstring key = L"Software\\JavaSoft\\Java Runtime Environment\\";

  Register(View::Native, kSunJre, L"1.8", L"C:\\native");
  Register(View::Native, kSunJre, L"1.7", L"C:\\seven");
  const wchar_t multi[] = L"C:\\a\0C:\\b\0";
  ASSERT_TRUE(VendorKeys::RegisterValue(View::Native, kSunJre, L"multi", REG_MULTI_SZ, multi, sizeof multi));
  Register(View::Bits32, kSunJre, L"1.6", L"C:\\thirty-two");

  auto names = native.SubkeyNames(key);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::wstring>{L"1.7", L"1.8", L"multi"}));
  EXPECT_EQ(view32.SubkeyNames(key), std::vector<std::wstring>{L"1.6"}) << "each view sees only its own keys";
  EXPECT_EQ(native.JavaHomeValue(key + L"1.8"), std::wstring(L"C:\\native\0", 10));
  EXPECT_EQ(view32.JavaHomeValue(key + L"1.6"), std::wstring(L"C:\\thirty-two\0", 14));
  EXPECT_EQ(native.JavaHomeValue(key + L"multi"), std::wstring(multi, sizeof multi / sizeof(wchar_t)));
  EXPECT_EQ(native.JavaHomeValue(key + L"1.6"), std::nullopt);
  EXPECT_EQ(native.JavaHomeValue(key + L"missing"), std::nullopt);
  EXPECT_TRUE(native.SubkeyNames(L"Software\\JRockit\\Java Runtime Environment\\").empty());
}

// The private runtime of the running program: this test program's folder.
class RuntimePrivateRuntimeBesideExe : public testing::Test {
 protected:
  void TearDown() override { Clean(); }
  void Clean() {
    testsupport::RemoveTree(bin_ + L"\\jre64");
    testsupport::RemoveTree(bin_ + L"\\bin");
  }
  const std::wstring bin_ = testsupport::BinDir();
};

TEST_F(RuntimePrivateRuntimeBesideExe, JavaDllBesideTheExecutableOrInJre64) {
  VendorKeys keys;
  testsupport::TempFolder folder;
  Clean();
  const std::wstring x64 = Fixture(L"x64");
  const std::wstring registered = folder / L"jre8";
  testsupport::CopyFileTo(x64, registered + L"\\bin\\client\\jvm.dll");
  ASSERT_TRUE(VendorKeys::Register(View::Native, kSunJre, L"1.8", registered));
  EXPECT_EQ(Choose({}).library, registered + L"\\bin\\client\\jvm.dll");

  testsupport::CopyFileTo(x64, bin_ + L"\\jre64\\bin\\java.dll");
  testsupport::CopyFileTo(x64, bin_ + L"\\jre64\\bin\\server\\jvm.dll");
  Outcome outcome = Choose({.pairProduct = L"app32.exe"});
  EXPECT_EQ(outcome.library, bin_ + L"\\jre64\\bin\\server\\jvm.dll")
      << "the private runtime comes before the registry";
  EXPECT_FALSE(outcome.is32Bit);

  // The folder itself comes before its jre64; a marked home without a
  // library is passed over.
  testsupport::CopyFileTo(x64, bin_ + L"\\bin\\java.dll");
  EXPECT_EQ(Choose({}).library, registered + L"\\bin\\client\\jvm.dll");
  testsupport::CopyFileTo(x64, bin_ + L"\\bin\\classic\\jvm.dll");
  EXPECT_EQ(Choose({}).library, bin_ + L"\\bin\\classic\\jvm.dll");
}

}  // namespace
