// The rules of the runtime search over in-memory registry and file fakes.
#include "runtime/runtime_rules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "config/settings_catalogue.h"
#include "tests/unit/runtime_fakes.h"

namespace {

using config::JvmType;
using runtime::RuntimeCandidate;
using runtime::RuntimeKind;
using runtime::RuntimeSettings;
using runtime::VersionNumber;
using runtimetest::FakeFiles;
using runtimetest::FakeRegistry;
using runtimetest::KeyPath;

// Settings as the settings stage makes them from the stored texts.
RuntimeSettings SettingsFrom(std::wstring_view jvmSource, std::wstring_view vmProvider, JvmType type = JvmType::Any) {
  RuntimeSettings s;
  runtime::SetSourceAndProvider(s, jvmSource, vmProvider);
  s.jvmType = type;
  return s;
}

VersionNumber V(std::wstring_view text) { return runtime::ParseVersion(text, 0).version; }

std::wstring Print(const VersionNumber& v) {
  return std::to_wstring(v.parts[0]) + L"." + std::to_wstring(v.parts[1]) + L"." + std::to_wstring(v.parts[2]) + L"." +
         std::to_wstring(v.parts[3]);
}

TEST(RuntimeKeyPlan, SourceAndProviderSelectKeysAndFavour) {
  struct Case {
    std::wstring_view source, provider;
    std::vector<std::size_t> keys;      // indices into the vendor key table, in order
    std::vector<std::size_t> favoured;  // the subset whose candidates are favoured
  };
  const Case cases[] = {
      {L"", L"", {0, 1}, {0, 1}},
      {L"", L"sun", {0, 1}, {0, 1}},  // no such row: defaults
      {L"", L"IBM", {4}, {4}},        // the "ibm" row, letter case ignored
      {L"", L"jrockit", {2, 3}, {2, 3}},
      {L"", L"any", {0, 1, 2, 3, 4}, {}},
      {L"", L"favor_ibm", {0, 1, 2, 3, 4}, {4}},
      {L"", L"favor_jrockit", {0, 1, 2, 3, 4}, {2, 3}},
      {L"only_JRE", L"", {1}, {1}},
      {L"only_JRE", L"any", {1, 2, 4}, {}},
      {L"only_JDK", L"favor_jrockit", {0, 3}, {3}},
      {L"only_JDK", L"ibm", {}, {}},
      {L"favor_JDK", L"", {0, 1}, {0}},
      {L"favor_JRE", L"favor_sun", {0, 1, 2, 3, 4}, {1}},
      {L"favor_JRE", L"favor_ibm", {0, 1, 2, 3, 4}, {4}},
      {L"Only_JRE", L"", {}, {}},  // case matters: an unknown source searches nothing
      {L"whatever", L"any", {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "JVM Source \"" << std::wstring(c.source) << "\", VM Provider \""
                                    << std::wstring(c.provider) << "\"");
    auto plan = runtime::PlanRegistrySearch(SettingsFrom(c.source, c.provider));
    std::vector<std::size_t> keys, favoured;
    for (const auto& key : plan) {
      keys.push_back(key.keyIndex);
      if (key.favored) favoured.push_back(key.keyIndex);
      EXPECT_EQ(key.path, runtime::kVendorKeys[key.keyIndex].path);
      EXPECT_EQ(key.kind, runtime::kVendorKeys[key.keyIndex].kind);
    }
    EXPECT_EQ(keys, c.keys) << "searched keys";
    EXPECT_EQ(favoured, c.favoured) << "favoured keys";
  }
}

TEST(RuntimeKeyPlan, SunJreKeyIsProbedInAnyOrderUnderFavorServer) {
  struct Case {
    JvmType type;
    std::vector<JvmType> probeTypes;  // keys 1 to 5
  };
  const Case cases[] = {
      {JvmType::Any, {JvmType::Any, JvmType::Any, JvmType::Any, JvmType::Any, JvmType::Any}},
      {JvmType::Server, {JvmType::Server, JvmType::Server, JvmType::Server, JvmType::Server, JvmType::Server}},
      {JvmType::FavorServer,
       {JvmType::FavorServer, JvmType::Any, JvmType::FavorServer, JvmType::FavorServer, JvmType::FavorServer}},
  };
  for (const Case& c : cases) {
    std::vector<JvmType> probeTypes;
    for (const auto& key : runtime::PlanRegistrySearch(SettingsFrom(L"", L"any", c.type))) {
      probeTypes.push_back(key.probeType);
    }
    EXPECT_EQ(probeTypes, c.probeTypes) << "JVM type " << static_cast<int>(c.type);
  }
}

TEST(RuntimeVersionRange, BoundsAreInclusiveAndMaximumFillsWith65535) {
  struct Case {
    std::wstring_view name, minimum, maximum;
    bool accepted;
  };
  const Case cases[] = {
      {L"1.6", L"1.6", L"1.6", true},
      {L"1.6.0_31", L"1.6", L"1.6", true},  // the maximum reads 1.6.65535.65535
      {L"1.7", L"1.6", L"1.6", false},
      {L"1.6.0_31", L"1.6.0_31", L"any", true},
      {L"1.6.0_30", L"1.6.0_31", L"any", false},
      {L"1.8.0_5", L"any", L"1.8.0_5", true},
      {L"1.8.0_6", L"any", L"1.8.0_5", false},
      {L"1.5", L"1.6", L"", false},
      {L"17.0.2", L"1.6", L"", true},  // an empty maximum is no maximum
      {L"17.0.2", L"1.6", L"Any", true},
      {L"abc", L"any", L"any", true},  // a name without digits reads 0.0.0.0
      {L"abc", L"1.1", L"any", false},
  };
  for (const Case& c : cases) {
    bool accepted = runtime::VersionInRange(V(c.name), runtime::MinimumVersionSetting(c.minimum),
                                            runtime::MaximumVersionSetting(c.maximum));
    EXPECT_EQ(accepted, c.accepted) << "version " << std::wstring(c.name) << " with minimum \""
                                    << std::wstring(c.minimum) << "\" and maximum \"" << std::wstring(c.maximum)
                                    << "\"";
  }
}

TEST(RuntimeHome, JavaHomeBecomesHomeEndingInBackslash) {
  struct Case {
    std::wstring value;
    RuntimeKind kind;
    std::optional<std::wstring> home;
  };
  const Case cases[] = {
      {L"C:\\jdk", RuntimeKind::Jdk, L"C:\\jdk\\jre\\"},
      {L"C:\\jdk\\", RuntimeKind::Jdk, L"C:\\jdk\\jre\\"},
      {L"C:\\jre", RuntimeKind::Jre, L"C:\\jre\\"},
      {L"C:\\jre\\", RuntimeKind::Jre, L"C:\\jre\\"},
      {std::wstring(L"C:\\jre\0D:\\other", 15), RuntimeKind::Jre, L"C:\\jre\\"},
      {std::wstring(L"C:\\jre\0\0", 8), RuntimeKind::Jre, L"C:\\jre\\"},
      {L"%JAVA%", RuntimeKind::Jre, L"%JAVA%\\"},  // not expanded
      {L"", RuntimeKind::Jre, std::nullopt},
      {std::wstring(L"\0C:\\jre", 7), RuntimeKind::Jdk, std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(runtime::HomeFromJavaHome(c.value, c.kind), c.home) << "JavaHome \"" << c.value << "\"";
  }
  EXPECT_EQ(runtime::WithTrailingBackslash(L"C:\\a"), L"C:\\a\\");
  EXPECT_EQ(runtime::WithTrailingBackslash(L"C:\\a\\"), L"C:\\a\\");
  EXPECT_EQ(runtime::WithTrailingBackslash(L""), L"\\");
}

TEST(RuntimeJvmLibrary, ProbeOrdersPerJvmType) {
  auto order = [](JvmType type) {
    auto span = runtime::ProbeOrder(type);
    return std::vector<std::wstring>(span.begin(), span.end());
  };
  const std::vector<std::wstring> any{L"bin\\client\\jvm.dll", L"bin\\classic\\jvm.dll", L"bin\\hotspot\\jvm.dll",
                                      L"bin\\server\\jvm.dll", L"bin\\jrockit\\jvm.dll"};
  EXPECT_EQ(order(JvmType::Any), any);
  EXPECT_EQ(order(JvmType::Server), std::vector<std::wstring>{L"bin\\server\\jvm.dll"});
  std::vector<std::wstring> favorServer{L"bin\\server\\jvm.dll"};
  favorServer.insert(favorServer.end(), any.begin(), any.end());
  EXPECT_EQ(order(JvmType::FavorServer), favorServer);
}

TEST(RuntimeJvmLibrary, FirstExistingLibraryOfTheOrderAnswers) {
  struct Case {
    std::vector<std::wstring> libraries;  // folders under the home's bin folder
    JvmType type;
    std::wstring answer;  // the folder of the answer, empty for none
    bool isServer;
  };
  const Case cases[] = {
      {{L"client", L"server"}, JvmType::Any, L"client", false},
      {{L"server", L"jrockit"}, JvmType::Any, L"server", true},
      {{L"hotspot", L"classic"}, JvmType::Any, L"classic", false},
      {{L"jrockit"}, JvmType::Any, L"jrockit", false},
      {{L"client"}, JvmType::Server, L"", false},
      {{L"client", L"server"}, JvmType::Server, L"server", true},
      {{L"client", L"server"}, JvmType::FavorServer, L"server", true},
      {{L"client"}, JvmType::FavorServer, L"client", false},
      {{L"hotspot"}, JvmType::FavorServer, L"hotspot", false},
      {{}, JvmType::Any, L"", false},
      {{L"Server2"}, JvmType::Any, L"", false},
  };
  for (const Case& c : cases) {
    FakeFiles files;
    for (const auto& folder : c.libraries) files.Add(L"C:\\rt\\bin\\" + folder + L"\\jvm.dll");
    auto library = runtime::FindJvmLibrary(L"C:\\rt\\", c.type, files);
    std::wstring expected = c.answer.empty() ? L"" : L"C:\\rt\\bin\\" + c.answer + L"\\jvm.dll";
    EXPECT_EQ(library.path, expected) << "type " << static_cast<int>(c.type) << ", first library "
                                      << (c.libraries.empty() ? L"none" : c.libraries[0]);
    EXPECT_EQ(library.isServer, c.isServer) << "isServer for " << expected;
  }
}

TEST(RuntimeJvmLibrary, LibraryOfAnotherMachineIsPassedOver) {
  constexpr std::uint16_t x64 = 0x8664, arm64 = 0xAA64, x86 = 0x14C, armnt = 0x1C4;
  struct Case {
    std::uint16_t process;
    std::optional<std::uint16_t> client, server;  // the machines of the libraries present
    std::wstring answer;                          // the folder of the answer, empty for none
  };
  const Case cases[] = {
      {x64, x64, std::nullopt, L"client"},
      {x64, arm64, std::nullopt, L""},
      {x64, arm64, x64, L"server"},
      {x64, x86, std::nullopt, L"client"},  // left to the paired product
      {x64, armnt, std::nullopt, L""},
      {arm64, arm64, std::nullopt, L"client"},
      {arm64, x64, arm64, L"server"},
      {arm64, x64, std::nullopt, L""},
      {arm64, x86, std::nullopt, L"client"},
  };
  for (const Case& c : cases) {
    FakeFiles files;
    if (c.client) files.AddLibrary(L"C:\\rt\\bin\\client\\jvm.dll", *c.client);
    if (c.server) files.AddLibrary(L"C:\\rt\\bin\\server\\jvm.dll", *c.server);
    std::wstring expected = c.answer.empty() ? L"" : L"C:\\rt\\bin\\" + c.answer + L"\\jvm.dll";
    EXPECT_EQ(runtime::FindJvmLibrary(L"C:\\rt\\", JvmType::Any, files, c.process).path, expected)
        << "process " << runtime::MachineName(c.process) << ", client " << (c.client ? *c.client : 0);
  }
  // A library whose header cannot be read is not judged here: loading it reports.
  FakeFiles unreadable{L"C:\\rt\\bin\\client\\jvm.dll"};
  EXPECT_EQ(runtime::FindJvmLibrary(L"C:\\rt\\", JvmType::Any, unreadable, arm64).path, L"C:\\rt\\bin\\client\\jvm.dll");
  EXPECT_EQ(runtime::MachineName(armnt), L"machine 452");
}

TEST(RuntimePrivateRuntime, JavaDllMarksTheFolderOrItsBundledRuntimeFolders) {
  struct Case {
    std::wstring exe;
    std::vector<std::wstring> files;
    std::optional<std::wstring> home;
  };
  const Case cases[] = {
      {L"C:\\app\\app.exe", {L"C:\\app\\bin\\java.dll"}, L"C:\\app\\"},
      {L"C:\\app\\app.exe", {L"C:\\app\\jre64\\bin\\java.dll"}, L"C:\\app\\jre64\\"},
      {L"C:\\app\\app.exe", {L"C:\\app\\bin\\java.dll", L"C:\\app\\jre64\\bin\\java.dll"}, L"C:\\app\\"},
      {L"C:\\app\\app.exe", {L"C:\\app\\bin\\client\\jvm.dll"}, std::nullopt},  // no marker
      {L"C:\\app\\app.exe", {L"C:\\app\\jre\\bin\\java.dll"}, L"C:\\app\\jre\\"},
      {L"C:\\app\\app.exe", {L"C:\\app\\jre\\bin\\java.dll", L"C:\\app\\runtime\\bin\\java.dll"},
       L"C:\\app\\runtime\\"},
      {L"C:\\app\\app.exe", {L"C:\\app\\runtime\\bin\\java.dll", L"C:\\app\\jre64\\bin\\java.dll"},
       L"C:\\app\\jre64\\"},
      {L"C:\\app\\app.exe", {L"C:\\app\\runtime\\bin\\server\\jvm.dll"}, std::nullopt},  // no marker
      {L"C:\\app\\app.exe", {}, std::nullopt},
      {L"app.exe", {L"bin\\java.dll"}, std::nullopt},
  };
  for (const Case& c : cases) {
    FakeFiles files;
    for (const auto& f : c.files) files.Add(f);
    EXPECT_EQ(runtime::PrivateRuntimeHome(c.exe, files), c.home)
        << c.exe << " with " << (c.files.empty() ? L"no files" : c.files[0]);
  }
}

RuntimeCandidate Candidate(std::wstring_view version, std::wstring label, bool isServer = false, bool favored = false) {
  return {V(version), std::move(label), isServer, favored};
}

std::vector<std::wstring> Labels(const std::vector<RuntimeCandidate>& list) {
  std::vector<std::wstring> labels;
  for (const auto& c : list) labels.push_back(c.home);
  return labels;
}

TEST(RuntimeCandidateOrder, FavouredThenServerThenNewestThenCollectionOrder) {
  struct Case {
    const char* what;
    std::vector<RuntimeCandidate> list;
    bool favorMode;
    JvmType type;
    std::vector<std::wstring> order;
  };
  const Case cases[] = {
      {"equal versions keep key order",
       {Candidate(L"1.7", L"key1"), Candidate(L"1.7", L"key2")},
       true,
       JvmType::Any,
       {L"key1", L"key2"}},
      {"newest first",
       {Candidate(L"1.6.0_31", L"a"), Candidate(L"1.7.0_2", L"b"), Candidate(L"1.6.0_32", L"c")},
       true,
       JvmType::Any,
       {L"b", L"c", L"a"}},
      {"favoured before newer",
       {Candidate(L"1.7", L"sun"), Candidate(L"1.5", L"ibm", false, true)},
       true,
       JvmType::Any,
       {L"ibm", L"sun"}},
      {"favour ignored without favorMode",
       {Candidate(L"1.5", L"ibm", false, true), Candidate(L"1.7", L"sun")},
       false,
       JvmType::Any,
       {L"sun", L"ibm"}},
      {"server before newer under FavorServer",
       {Candidate(L"1.8", L"client"), Candidate(L"1.6", L"server", true)},
       true,
       JvmType::FavorServer,
       {L"server", L"client"}},
      {"server counts for nothing under Any",
       {Candidate(L"1.6", L"server", true), Candidate(L"1.8", L"client")},
       true,
       JvmType::Any,
       {L"client", L"server"}},
      {"favoured outranks server",
       {Candidate(L"1.6", L"server", true), Candidate(L"1.6", L"favoured", false, true)},
       true,
       JvmType::FavorServer,
       {L"favoured", L"server"}},
      {"part count plays no part",
       {Candidate(L"1.7", L"short"), Candidate(L"1.7.0.0", L"long")},
       true,
       JvmType::Any,
       {L"short", L"long"}},
      {"empty list", {}, true, JvmType::Any, {}},
  };
  for (const Case& c : cases) {
    auto list = c.list;
    runtime::SortCandidates(list, c.favorMode, c.type);
    EXPECT_EQ(Labels(list), c.order) << c.what;
  }
}

// The reference order: a bubble sort of as many passes as there are
// candidates, swapping neighbours only when the right one must come first.
std::vector<RuntimeCandidate> BubbleSorted(std::vector<RuntimeCandidate> list, bool favorMode, JvmType type) {
  auto rightFirst = [&](const RuntimeCandidate& left, const RuntimeCandidate& right) {
    if (favorMode && left.favored != right.favored) return right.favored;
    if (type == JvmType::FavorServer && left.isServer != right.isServer) return right.isServer;
    return runtime::CompareVersions(right.version, left.version) > 0;
  };
  for (std::size_t pass = 0; pass < list.size(); ++pass) {
    for (std::size_t i = 0; i + 1 < list.size(); ++i) {
      if (rightFirst(list[i], list[i + 1])) std::swap(list[i], list[i + 1]);
    }
  }
  return list;
}

TEST(RuntimeCandidateOrder, SameOrderAsNeighbourSwappingBubbleSort) {
  std::mt19937 random(20261207);
  const JvmType types[] = {JvmType::Any, JvmType::Server, JvmType::FavorServer};
  for (int round = 0; round < 300; ++round) {
    std::vector<RuntimeCandidate> list;
    std::size_t size = random() % 9;
    for (std::size_t i = 0; i < size; ++i) {
      RuntimeCandidate c;
      c.version.parts = {1, static_cast<std::int32_t>(random() % 3 + 5), 0, static_cast<std::int32_t>(random() % 3)};
      c.home = L"#" + std::to_wstring(i);
      c.isServer = random() % 2;
      c.favored = random() % 2;
      list.push_back(c);
    }
    bool favorMode = random() % 2;
    JvmType type = types[random() % 3];
    auto sorted = list;
    runtime::SortCandidates(sorted, favorMode, type);
    ASSERT_EQ(Labels(sorted), Labels(BubbleSorted(list, favorMode, type)))
        << "round " << round << ", favorMode " << favorMode << ", type " << static_cast<int>(type);
  }
}

TEST(RuntimeCandidateChoice, EarliestMatchingPreferredVersionElseFirst) {
  struct Case {
    std::vector<std::wstring> sorted;  // versions, already in order
    std::vector<std::wstring> preferred;
    std::optional<std::size_t> chosen;
  };
  const Case cases[] = {
      {{L"1.7.0.2", L"1.6.0.31"}, {L"1.6", L"1.7"}, 1},
      {{L"1.7.0.2", L"1.6.0.31"}, {L"1.8"}, 0},
      {{L"1.7.0.2", L"1.6.0.31"}, {L"1.8", L"1.6"}, 1},
      {{L"1.7.0.2", L"1.6.0.31"}, {}, 0},
      {{L"1.7.0.2", L"1.6.0.31"}, {L""}, 0},  // all-zero entries match every candidate
      {{L"1.7.0.2", L"1.6.0.31"}, {L"0"}, 0},
      {{L"1.7.0.2", L"1.6.0.31"}, {L"any"}, 0},
      {{L"1.6.0.32", L"1.6.0.31", L"1.6"}, {L"1.6"}, 0},
      {{L"1.6.0.32", L"1.6.0.31", L"1.6"}, {L"1.6.0_31"}, 1},
      {{L"1.6.0.32", L"1.6.0.31", L"1.6"}, {L"1.6.0.0"}, 0},
      {{L"1.7.0.2", L"1.6.0.31"}, {L"1.6.1"}, 0},
      {{}, {L"1.6"}, std::nullopt},
      {{}, {}, std::nullopt},
  };
  for (const Case& c : cases) {
    std::vector<RuntimeCandidate> list;
    for (const auto& v : c.sorted) list.push_back(Candidate(v, v));
    std::wstring preferred;
    for (const auto& p : c.preferred) preferred += L"\"" + p + L"\";";
    EXPECT_EQ(runtime::ChooseCandidate(list, c.preferred), c.chosen)
        << "preferred " << preferred << " among " << list.size() << " candidates";
  }
}

TEST(RuntimeRegistryCollect, AcceptedRegistrationsInEnumerationOrder) {
  FakeRegistry registry;
  const std::wstring jdkKey = KeyPath(0);
  registry.Register(jdkKey, L"1.6.0_31", L"C:\\jdk6");
  registry.Register(jdkKey, L"1.4.2", L"C:\\jdk4");     // below the minimum
  registry.Register(jdkKey, L"1.7", std::nullopt);      // no JavaHome
  registry.Register(jdkKey, L"1.6.0_20", L"C:\\gone");  // home without a library
  registry.Register(jdkKey, L"1.6", L"C:\\jdk6b\\");
  registry.Register(jdkKey, L"1.6.0_5", L"C:\\plain");  // a JDK's library must lie under jre
  FakeFiles files{L"C:\\jdk6\\jre\\bin\\client\\jvm.dll", L"C:\\jdk4\\jre\\bin\\client\\jvm.dll",
                  L"C:\\jdk6b\\jre\\bin\\server\\jvm.dll", L"C:\\plain\\bin\\client\\jvm.dll"};

  RuntimeSettings settings = SettingsFrom(L"", L"");
  settings.minimumVersion = runtime::MinimumVersionSetting(L"1.5");
  auto plan = runtime::PlanRegistrySearch(settings);
  ASSERT_FALSE(plan.empty());
  std::vector<RuntimeCandidate> candidates;
  runtime::CollectRegisteredRuntimes(plan[0], settings, registry, files, candidates);

  ASSERT_EQ(Labels(candidates), (std::vector<std::wstring>{L"C:\\jdk6\\jre\\", L"C:\\jdk6b\\jre\\"}));
  EXPECT_EQ(Print(candidates[0].version), L"1.6.0.31");
  EXPECT_FALSE(candidates[0].isServer);
  EXPECT_TRUE(candidates[0].favored);
  EXPECT_EQ(Print(candidates[1].version), L"1.6.0.0");
  EXPECT_TRUE(candidates[1].isServer);
  for (const auto& read : registry.valuesRead) {
    EXPECT_NE(read, jdkKey + L"1.4.2") << "a version outside the range must be rejected before its value is read";
  }
}

TEST(RuntimeRegistryCollect, SunJreUnderFavorServerProbesInAnyOrder) {
  FakeRegistry registry;
  registry.Register(KeyPath(0), L"1.6", L"C:\\jdk");
  registry.Register(KeyPath(1), L"1.7", L"C:\\jre");
  FakeFiles files{L"C:\\jdk\\jre\\bin\\server\\jvm.dll", L"C:\\jre\\bin\\client\\jvm.dll",
                  L"C:\\jre\\bin\\server\\jvm.dll"};
  RuntimeSettings settings = SettingsFrom(L"", L"", JvmType::FavorServer);
  std::vector<RuntimeCandidate> candidates;
  for (const auto& key : runtime::PlanRegistrySearch(settings)) {
    runtime::CollectRegisteredRuntimes(key, settings, registry, files, candidates);
  }
  ASSERT_EQ(candidates.size(), 2u);
  EXPECT_TRUE(candidates[0].isServer) << "JDK probed server first";
  EXPECT_FALSE(candidates[1].isServer) << "the JRE key's probe finds the client library first";

  // The JDK's server library sorts first; alone, the JRE's home is chosen
  // and its final lookup with FavorServer takes the server library.
  EXPECT_EQ(runtime::SearchRegistry(settings, registry, files), L"C:\\jdk\\jre\\");
  FakeRegistry jreOnly;
  jreOnly.Register(KeyPath(1), L"1.7", L"C:\\jre");
  FakeRegistry emptyView;
  auto choice = runtime::SearchRuntime(settings, {files, {}, jreOnly, emptyView});
  EXPECT_EQ(choice.jvmLibraryPath, L"C:\\jre\\bin\\server\\jvm.dll");
}

TEST(RuntimeRegistrySearch, PicksPerSourceProviderTypeAndVersions) {
  FakeRegistry registry;
  registry.Register(KeyPath(0), L"1.7", L"C:\\jdk7");
  registry.Register(KeyPath(1), L"1.7", L"C:\\jre7");
  registry.Register(KeyPath(1), L"1.8", L"C:\\jre8client");
  registry.Register(KeyPath(1), L"1.6.0_31", L"C:\\jre6");
  registry.Register(KeyPath(2), L"1.9", L"C:\\jrockit9");
  registry.Register(KeyPath(4), L"1.5", L"C:\\ibm5");
  FakeFiles files{L"C:\\jdk7\\jre\\bin\\server\\jvm.dll",  L"C:\\jre7\\bin\\client\\jvm.dll",
                  L"C:\\jre8client\\bin\\client\\jvm.dll", L"C:\\jre6\\bin\\server\\jvm.dll",
                  L"C:\\jrockit9\\bin\\jrockit\\jvm.dll",  L"C:\\ibm5\\bin\\classic\\jvm.dll"};
  struct Case {
    const char* what;
    std::wstring_view source, provider;
    JvmType type;
    std::wstring_view minimum, maximum;
    std::vector<std::wstring> preferred;
    std::optional<std::wstring> home;
  };
  const Case cases[] = {
      {"defaults: newest Sun", L"", L"", JvmType::Any, L"any", L"any", {}, L"C:\\jre8client\\"},
      {"server passes over client-only homes", L"", L"", JvmType::Server, L"any", L"any", {}, L"C:\\jdk7\\jre\\"},
      {"favor_server: server libraries first", L"", L"", JvmType::FavorServer, L"any", L"any", {}, L"C:\\jdk7\\jre\\"},
      {"maximum 1.7: key 1 before key 2 at equal versions",
       L"",
       L"",
       JvmType::Any,
       L"any",
       L"1.7",
       {},
       L"C:\\jdk7\\jre\\"},
      {"only_JRE with maximum 1.7", L"only_JRE", L"", JvmType::Any, L"any", L"1.7", {}, L"C:\\jre7\\"},
      {"range 1.6 to 1.6", L"", L"", JvmType::Any, L"1.6", L"1.6", {}, L"C:\\jre6\\"},
      {"preferred 1.6", L"", L"", JvmType::Any, L"any", L"any", {L"1.6", L"1.7"}, L"C:\\jre6\\"},
      {"preferred 1.8 absent", L"", L"", JvmType::Any, L"any", L"1.7", {L"1.8"}, L"C:\\jdk7\\jre\\"},
      {"jrockit only", L"", L"jrockit", JvmType::Any, L"any", L"any", {}, L"C:\\jrockit9\\"},
      {"IBM favoured over newer Sun", L"", L"favor_ibm", JvmType::Any, L"any", L"any", {}, L"C:\\ibm5\\"},
      {"any vendor: newest", L"", L"any", JvmType::Any, L"any", L"any", {}, L"C:\\jrockit9\\"},
      {"favor_JDK puts the JDK first", L"favor_JDK", L"", JvmType::Any, L"any", L"any", {}, L"C:\\jdk7\\jre\\"},
      {"nothing above 1.9", L"", L"any", JvmType::Any, L"1.10", L"any", {}, std::nullopt},
      {"unknown source searches nothing", L"JRE", L"any", JvmType::Any, L"any", L"any", {}, std::nullopt},
  };
  for (const Case& c : cases) {
    RuntimeSettings settings = SettingsFrom(c.source, c.provider, c.type);
    settings.minimumVersion = runtime::MinimumVersionSetting(c.minimum);
    settings.maximumVersion = runtime::MaximumVersionSetting(c.maximum);
    settings.preferredVersions = c.preferred;
    EXPECT_EQ(runtime::SearchRegistry(settings, registry, files), c.home) << c.what;
  }
}

TEST(RuntimeSearchOrder, FirstSourceWithALibraryWins) {
  // C:\app\ holds a private runtime; C:\nolib\ a marked one without a library.
  FakeFiles files{L"C:\\cfg\\bin\\client\\jvm.dll", L"C:\\app\\bin\\java.dll", L"C:\\app\\bin\\client\\jvm.dll",
                  L"C:\\nolib\\bin\\java.dll", L"C:\\reg\\bin\\client\\jvm.dll", L"C:\\reg32\\bin\\client\\jvm.dll"};
  FakeRegistry native, view32;
  native.Register(KeyPath(1), L"1.8", L"C:\\reg");
  view32.Register(KeyPath(1), L"1.8", L"C:\\reg32");
  FakeRegistry emptyNative;
  using runtime::RuntimeSource;
  struct Case {
    const char* what;
    std::wstring jrePath;
    std::wstring executable;  // the program whose folder may hold a private runtime
    bool nativeHasOne, pairProduct;
    RuntimeSource source;
    std::wstring library;
  };
  const Case cases[] = {
      {"JRE Path first", L"C:\\cfg", L"C:\\app\\app.exe", true, true, RuntimeSource::JrePath,
       L"C:\\cfg\\bin\\client\\jvm.dll"},
      {"JRE Path with backslash", L"C:\\cfg\\", L"", true, false, RuntimeSource::JrePath,
       L"C:\\cfg\\bin\\client\\jvm.dll"},
      {"JRE Path without library", L"C:\\empty", L"C:\\app\\app.exe", true, true, RuntimeSource::PrivateRuntime,
       L"C:\\app\\bin\\client\\jvm.dll"},
      {"private runtime without library", L"", L"C:\\nolib\\app.exe", true, true, RuntimeSource::Registry,
       L"C:\\reg\\bin\\client\\jvm.dll"},
      {"native view before the 32-bit one", L"", L"", true, true, RuntimeSource::Registry,
       L"C:\\reg\\bin\\client\\jvm.dll"},
      {"32-bit view with a paired product", L"", L"", false, true, RuntimeSource::Registry32,
       L"C:\\reg32\\bin\\client\\jvm.dll"},
      {"no 32-bit view without one", L"", L"", false, false, RuntimeSource::None, L""},
  };
  for (const Case& c : cases) {
    RuntimeSettings settings = SettingsFrom(L"", L"");
    settings.jrePath = c.jrePath;
    settings.hasPairProduct = c.pairProduct;
    // "JRE Path" ignores every version rule.
    if (!c.jrePath.empty()) settings.minimumVersion = runtime::MinimumVersionSetting(L"99");
    files.ClearProbes();
    view32.calls = 0;
    auto choice = runtime::SearchRuntime(
        settings, {files, c.executable, c.nativeHasOne ? native : emptyNative, view32});
    EXPECT_EQ(choice.source, c.source) << c.what;
    EXPECT_EQ(choice.jvmLibraryPath, c.library) << c.what;
    if (c.source == RuntimeSource::JrePath) {
      EXPECT_EQ(std::count_if(files.probes().begin(), files.probes().end(),
                              [](const std::wstring& p) { return p.ends_with(L"java.dll"); }),
                0)
          << c.what << ": private runtime looked up";
    }
    if (!c.pairProduct) {
      EXPECT_EQ(view32.calls, 0) << c.what << ": the 32-bit view was read";
    }
    if (c.source != RuntimeSource::Registry32 && c.nativeHasOne) {
      EXPECT_EQ(view32.calls, 0) << c.what << ": the 32-bit view was read after a native find";
    }
  }
}

TEST(RuntimeSearchOrder, JrePathObeysJvmTypeAndNothingFoundIsNone) {
  FakeFiles files{L"C:\\cfg\\bin\\client\\jvm.dll"};
  FakeRegistry native, view32;
  RuntimeSettings settings = SettingsFrom(L"", L"", JvmType::Server);
  settings.jrePath = L"C:\\cfg";
  settings.hasPairProduct = true;
  auto choice = runtime::SearchRuntime(settings, {files, {}, native, view32});
  EXPECT_EQ(choice.source, runtime::RuntimeSource::None);
  EXPECT_TRUE(choice.jvmLibraryPath.empty());
  EXPECT_GT(view32.calls, 0) << "with a paired product the 32-bit view is searched when all else fails";

  settings.jvmType = JvmType::FavorServer;
  choice = runtime::SearchRuntime(settings, {files, {}, native, view32});
  EXPECT_EQ(choice.jvmLibraryPath, L"C:\\cfg\\bin\\client\\jvm.dll");
}

TEST(RuntimeSearchOrder, NativeHomeWithoutLibraryEndsTheSearch) {
  // The library vanishes between the registration's probe and the final lookup.
  FakeFiles files;
  files.AddVanishing(L"C:\\reg\\bin\\client\\jvm.dll", 1);
  files.Add(L"C:\\reg32\\bin\\client\\jvm.dll");
  FakeRegistry native, view32;
  native.Register(KeyPath(1), L"1.8", L"C:\\reg");
  view32.Register(KeyPath(1), L"1.8", L"C:\\reg32");
  RuntimeSettings settings = SettingsFrom(L"", L"");
  settings.hasPairProduct = true;
  auto choice = runtime::SearchRuntime(settings, {files, {}, native, view32});
  EXPECT_EQ(choice.source, runtime::RuntimeSource::None);
  EXPECT_EQ(view32.calls, 0) << "the 32-bit pass must not follow a native home";
}

}  // namespace
