// The rules that turn settings into the virtual machine's options.
#include <gtest/gtest.h>

#include <map>

#include "jvm/vm_options.h"

namespace {

using Tokens = std::vector<std::wstring>;

TEST(VmParameterSplitting, CutsAtSpacesOutsideQuotedSections) {
  const struct {
    std::wstring text;
    Tokens tokens;
  } cases[] = {
      {L"", {}},
      {L"-Xmx1g", {L"-Xmx1g"}},
      {L"-Xmx1g  -Da=b", {L"-Xmx1g", L"-Da=b"}},
      {L"-Da=b   ", {L"-Da=b"}},
      // A leading space would give an empty first token: dropped.
      {L" -Da=b", {L"-Da=b"}},
      {L"   ", {}},
      {L"\"-Dx=a b\" -Dy", {L"\"-Dx=a b\"", L"-Dy"}},
      {L"-Dx=\"a b\"c -Dy", {L"-Dx=\"a b\"c", L"-Dy"}},
      // A doubled quote after the closing one ends the section there.
      {L"-Dx=\"a b\"\" c", {L"-Dx=\"a b\"\"", L"c"}},
      // A quote without a partner opens no section.
      {L"-Dx=\"a b", {L"-Dx=\"a", L"b"}},
      {L"\"C:\\Program Files\\App\"", {L"\"C:\\Program Files\\App\""}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(jvm::SplitVmParameters(c.text), c.tokens) << "text: [" << testing::PrintToString(c.text) << "]";
  }
}

TEST(VmQuoteStripping, RemovesEnclosingPairsAndKeepsDoubledQuote) {
  const std::pair<std::wstring, std::wstring> cases[] = {
      {L"\"C:\\Program Files\\App\"", L"C:\\Program Files\\App"},
      {L"-Dname=\"a b\"", L"-Dname=a b"},
      {L"plain", L"plain"},
      {L"\"a\"\"", L"a\""},
      {L"\"a\"b\"c\"", L"abc"},
      {L"x\"unclosed", L"x\"unclosed"},
      {L"\"\"", L""},
      {L"\"a\" \"b", L"a \"b"},
  };
  for (const auto& [token, stripped] : cases) {
    EXPECT_EQ(jvm::StripQuotes(token), stripped) << "token: " << testing::PrintToString(token);
  }
}

TEST(VmSizeNumbers, SplitsPrefixAndColonSeparatedNumbers) {
  const struct {
    std::wstring token;
    std::wstring prefix;
    std::vector<std::uint64_t> numbers;
  } cases[] = {
      {L"-Xmx50:256:1024P", L"-Xmx", {50, 256, 1024}},
      {L"-Xmx:256P", L"-Xmx", {0, 256}},
      {L"-Xms10P", L"-Xms", {10}},
      {L"-Xmx1a2b3P", L"-Xmx", {123}},
      {L"-XmxP", L"-XmxP", {}},
      {L"2m", L"", {2}},
      {L"99999999999999999999999K", L"", {18446744073709551615ull}},
  };
  for (const auto& c : cases) {
    auto parsed = jvm::ParseSizeNumbers(c.token);
    EXPECT_EQ(parsed.prefix, c.prefix) << testing::PrintToString(c.token);
    EXPECT_EQ(parsed.numbers, c.numbers) << testing::PrintToString(c.token);
  }
}

TEST(VmMemoryDirective, RecognisesOnlyCaseSensitivePrefixesWithPOrT) {
  const std::pair<std::wstring, bool> cases[] = {
      {L"-Xmx50P", true},   {L"-Xms10p", true},  {L"-Xss1T", true},   {L"-Xmx25t", true}, {L"-xmx50P", false},
      {L"-Xmx512m", false}, {L"-XMX50P", false}, {L"-Xmn50P", false}, {L"-Xss", false},   {L"", false},
  };
  for (const auto& [token, directive] : cases) {
    EXPECT_EQ(jvm::IsMemoryDirective(token), directive) << testing::PrintToString(token);
  }
}

TEST(VmMemoryDirective, ExpandsPercentageWithinMinimumAndMaximum) {
  const std::uint64_t gib = 1024ull * 1024 * 1024;
  const jvm::MemoryFigures memory{8 * gib, 128ull * 1024 * gib};  // 8 GiB physical, 128 TiB virtual
  const std::pair<std::wstring, std::wstring> cases[] = {
      {L"-Xmx50:256:1024P", L"-Xmx1048576K"},
      {L"-Xmx50P", L"-Xmx4194304K"},
      {L"-Xmx50p", L"-Xmx4194304K"},
      // The quarter of the virtual space is capped at 512 MB.
      {L"-Xmx25:0:512T", L"-Xmx524288K"},
      // The minimum wins over the maximum.
      {L"-Xms10:2048:1024P", L"-Xms2097152K"},
      {L"-Xms1:64P", L"-Xms83886K"},
      {L"-Xmx:100P", L"-Xmx102400K"},
      // Sizes at and above 2^31 K are written in full, not wrapped.
      {L"-Xmx50T", L"-Xmx68719476736K"},
      {L"-Xmx100T", L"-Xmx137438953472K"},
  };
  for (const auto& [token, expanded] : cases) {
    EXPECT_EQ(jvm::ExpandMemoryDirective(token, memory), expanded) << testing::PrintToString(token);
  }
}

TEST(VmMemoryDirective, HugeFiguresSaturateInsteadOfWrapping) {
  const jvm::MemoryFigures memory{~0ull, ~0ull};
  EXPECT_EQ(jvm::ExpandMemoryDirective(L"-Xmx100000000000000000000P", memory), L"-Xmx18446744073709551615K");
  EXPECT_EQ(jvm::ExpandMemoryDirective(L"-Xmx0:99999999999999999999P", memory), L"-Xmx18446744073709551615K");
}

TEST(VmStackSize, ReadsOneNumberWithUnit) {
  const std::pair<std::wstring, std::uint64_t> cases[] = {
      {L"-Xss2m", 2097152},
      {L"-Xss512k", 524288},
      {L"-Xss1048576", 1048576},
      {L"-Xss1G", 1073741824},
      {L"-Xss2M", 2097152},
      {L"-Xss8K", 8192},
      {L"-Xssfoo", 0},
      {L"-Xss", 0},
      {L"-Xss1:2m", 0},
      {L"-Xss:2m", 0},
      {L"-Xss1048576K", 1073741824},
  };
  for (const auto& [token, size] : cases) {
    EXPECT_EQ(jvm::StackSizeFromXss(token), size) << testing::PrintToString(token);
  }
  const std::pair<wchar_t, std::uint64_t> units[] = {{L'G', 1073741824}, {L'g', 1073741824}, {L'M', 1048576},
                                                     {L'm', 1048576},    {L'K', 1024},       {L'k', 1024},
                                                     {L'b', 1},          {L'5', 1}};
  for (const auto& [unit, multiplier] : units) EXPECT_EQ(jvm::SizeUnitMultiplier(unit), multiplier) << char(unit);
}

TEST(VmRuntimeFolders, DropsTrailingComponents) {
  EXPECT_EQ(jvm::RuntimeHome(L"C:\\jre\\bin\\server\\jvm.dll"), L"C:\\jre");
  EXPECT_EQ(jvm::RuntimeBinFolder(L"C:\\jre\\bin\\server\\jvm.dll"), L"C:\\jre\\bin");
  EXPECT_EQ(jvm::RuntimeHome(L"server\\jvm.dll"), L"server");
  EXPECT_EQ(jvm::RuntimeHome(L"jvm.dll"), L"jvm.dll");
  EXPECT_EQ(jvm::RuntimeHome(L""), L"");
  EXPECT_EQ(jvm::FolderWithSlash(L"C:\\App\\app.exe"), L"C:\\App\\");
  EXPECT_EQ(jvm::FolderWithSlash(L"app.exe"), L"");
}

TEST(VmLibraryPath, ComposesSettingExeFolderPathAndRuntimeLibWithNothingOfTheCurrentFolder) {
  const struct {
    const wchar_t *setting, *path, *expected;
  } cases[] = {
      {L"C:\\native", L"C:\\win;C:\\tools", L"C:\\native;C:\\App\\;C:\\win;C:\\tools;C:\\jre\\lib"},
      {L"C:\\native;", L"", L"C:\\native;C:\\App\\;C:\\jre\\lib"},
      // Relative entries are the executable's folder's; rooted ones its drive's.
      {L"native;..\\x64;\\shared", L"C:\\win", L"C:\\App\\native;C:\\App\\..\\x64;C:\\shared;C:\\App\\;C:\\win;C:\\jre\\lib"},
      // Never ".", an empty element or one the current folder would complete.
      {L".;;C:\\n", L";.;C:\\win;;bin;D:rel;\\\\srv\\share", L"C:\\n;C:\\App\\;C:\\win;\\\\srv\\share;C:\\jre\\lib"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(jvm::ComposeLibraryPath(c.setting, L"C:\\App\\", c.path, L"C:\\jre"), c.expected) << c.setting;
  }
  // A folder with a ";" in its name would be cut into a full path and a relative one.
  EXPECT_EQ(jvm::ComposeLibraryPath(L"native", L"C:\\A;pp\\", L"", L"C:\\jre"), L"C:\\jre\\lib");
}

TEST(VmSystemPath, PutsSettingFirstOldPathNextAndRuntimeBinLast) {
  const struct {
    std::wstring setting, oldPath, expected;
  } cases[] = {
      {L"", L"C:\\win", L"C:\\win;C:\\jre\\bin"},
      {L"D:\\tools", L"C:\\win", L"D:\\tools;C:\\win;C:\\jre\\bin"},
      {L"D:\\tools;", L"C:\\win", L"D:\\tools;C:\\win;C:\\jre\\bin"},
      // An unset Path adds nothing: never a literal "%Path%".
      {L"D:\\tools", L"", L"D:\\tools;C:\\jre\\bin"},
      {L"", L"", L"C:\\jre\\bin"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(jvm::ComposeNewPath(c.setting, c.oldPath, L"C:\\jre\\bin"), c.expected)
        << testing::PrintToString(c.setting) << " " << testing::PrintToString(c.oldPath);
  }
}

TEST(VmClassPathEntry, ClassifiesRelativeAndWildcardEntries) {
  const struct {
    std::wstring entry;
    bool relative, resolved;
  } cases[] = {
      {L"lib\\a.jar", true, true},
      {L"C:\\ext\\x.jar", false, false},
      {L"\\\\srv\\share\\a.jar", false, false},
      {L"C:\\ext\\*.jar", false, true},
      {L"a", true, true},
      {L"", true, true},
      {L"\\a.jar", true, true},
      {L"C:", false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(jvm::IsRelativeEntry(c.entry), c.relative) << testing::PrintToString(c.entry);
    EXPECT_EQ(jvm::NeedsResolving(c.entry), c.resolved) << testing::PrintToString(c.entry);
  }
}

// A fake folder listing: pattern → names; records the patterns asked for.
// The lister is a plain function, so it reaches the fake last asked for it.
struct FakeListing {
  std::map<std::wstring, std::vector<std::wstring>> matches;
  std::vector<std::wstring> asked;
  static inline FakeListing* listing = nullptr;
  jvm::DirectoryLister lister() {
    listing = this;
    return [](const std::wstring& pattern) {
      listing->asked.push_back(pattern);
      auto it = listing->matches.find(pattern);
      return it == listing->matches.end() ? std::vector<std::wstring>{} : it->second;
    };
  }
};

TEST(VmClassPathEntry, ResolvesUnderTheRightFolderPrefix) {
  FakeListing fake;
  fake.matches = {
      {L"C:\\App\\lib\\*.jar", {L"a.jar", L"b.jar"}},
      {L"C:\\App\\app.jar", {L"app.jar"}},
      {L"C:\\App\\\\top.jar", {L"top.jar"}},
      {L"C:\\App\\lib/*.jar", {L"c.jar"}},
      {L"D:\\ext\\*.jar", {L"x.jar"}},
      {L"\\\\srv\\share\\*", {L"y.jar", L"sub"}},
      {L"C:\\App\\all\\*", {L".", L"..", L"z.jar"}},
  };
  const std::pair<std::wstring, std::wstring> cases[] = {
      {L"lib\\*.jar", L"C:\\App\\lib\\a.jar;C:\\App\\lib\\b.jar;"},
      {L"app.jar", L"C:\\App\\app.jar;"},
      {L"missing.jar", L""},
      // A "\" in first place is no folder part of its own.
      {L"\\top.jar", L"C:\\App\\top.jar;"},
      // "/" ends the folder part too: the names land in their own folder.
      {L"lib/*.jar", L"C:\\App\\lib/c.jar;"},
      {L"D:\\ext\\*.jar", L"D:\\ext\\x.jar;"},
      {L"\\\\srv\\share\\*", L"\\\\srv\\share\\y.jar;\\\\srv\\share\\sub;"},
      {L"", L""},
      // A folder's "." and ".." are no class path entries.
      {L"all\\*", L"C:\\App\\all\\z.jar;"},
  };
  for (const auto& [entry, expected] : cases) {
    std::wstring classPath = L"before;";
    jvm::ResolveClassPathEntry(classPath, entry, L"C:\\App\\", fake.lister());
    EXPECT_EQ(classPath, L"before;" + expected) << "entry " << testing::PrintToString(entry);
  }
}

TEST(VmClassPath, KeepsAbsoluteEntriesAndDropsUnmatchedRelativeOnes) {
  FakeListing fake;
  fake.matches = {{L"C:\\App\\lib\\*.jar", {L"one.jar", L"two.jar"}}};
  EXPECT_EQ(jvm::ComposeClassPath(L"lib\\*.jar;C:\\ext\\x.jar", L"C:\\App\\", fake.lister()),
            L"C:\\App\\lib\\one.jar;C:\\App\\lib\\two.jar;C:\\ext\\x.jar;");
  EXPECT_EQ(jvm::ComposeClassPath(L"nothere.jar;C:\\gone\\y.jar;", L"C:\\App\\", fake.lister()), L"C:\\gone\\y.jar;");
  EXPECT_EQ(jvm::ComposeClassPath(L"", L"C:\\App\\", fake.lister()), L"");
  // Absolute entries without a wildcard are never looked up.
  for (const auto& pattern : fake.asked) EXPECT_NE(pattern, L"C:\\gone\\y.jar");
}

TEST(VmClassPath, EmbeddedJarJoinsWithOneSeparator) {
  const std::pair<std::wstring, std::wstring> cases[] = {
      {L"", L"C:\\App\\app.exe"},
      {L"a.jar;", L"a.jar;C:\\App\\app.exe"},
      {L"a.jar", L"a.jar;C:\\App\\app.exe"},
  };
  for (auto [classPath, expected] : cases) {
    jvm::AppendEmbeddedJar(classPath, L"C:\\App\\app.exe");
    EXPECT_EQ(classPath, expected);
  }
}

TEST(VmOptionTexts, ClassPathOptionHoldsNoEmptyElement) {
  // The VM reads an empty element as the current folder.
  const std::pair<std::wstring, std::wstring> cases[] = {
      {L"C:\\a.jar;", L"C:\\a.jar"},
      {L"C:\\a.jar;;C:\\b.jar;", L"C:\\a.jar;C:\\b.jar"},
      {L";;C:\\a.jar;C:\\App\\app.exe", L"C:\\a.jar;C:\\App\\app.exe"},
      {L";", L""},
      {L"", L""},
  };
  for (const auto& [classPath, expected] : cases) {
    std::uint64_t stack = 0;
    EXPECT_EQ(jvm::ComposeVmOptionTexts(classPath, L"", L"", L"", {}, stack).front(), L"-Djava.class.path=" + expected)
        << testing::PrintToString(classPath);
  }
  // A modular application without class path: no class path at all, as "java -m" runs it.
  std::uint64_t stack = 0;
  EXPECT_EQ(jvm::ComposeVmOptionTexts(L";", L"", L"app.core", L"", {}, stack).front(), L"-Djdk.module.main=app.core");
}

TEST(VmOptionTexts, AClassPathWithNoElementIsTheExecutablesFolderUnlessAMainModuleRuns) {
  const struct {
    const wchar_t *classPath, *exeFolder;
    bool mainModule;
    const wchar_t* expected;
  } cases[] = {
      {L"C:\\a.jar;;", L"C:\\App\\", false, L"C:\\a.jar"},
      {L";", L"C:\\App\\", false, L"C:\\App"},  // a "Module Path" application without "Main Module"
      {L"", L"C:\\", false, L"C:\\"},
      {L";", L"C:\\App\\", true, L""},  // then -Djdk.module.main takes the class path's place
  };
  for (const auto& c : cases) {
    EXPECT_EQ(jvm::ClassPathForVm(c.classPath, c.mainModule, c.exeFolder), c.expected) << c.classPath;
  }
}

TEST(VmOptionTexts, ClassPathFirstThenProcessedTokensInOrder) {
  const std::uint64_t gib = 1024ull * 1024 * 1024;
  std::uint64_t stack = 0;
  auto texts = jvm::ComposeVmOptionTexts(L"a.jar;", L"", L"", L"-Xmx50P \"-Dname=a b\" -xmx50P -Dhome=%APPDATA%\\X -Xss1m",
                                         {8 * gib, 0}, stack);
  EXPECT_EQ(texts, (Tokens{L"-Djava.class.path=a.jar", L"-Xmx4194304K", L"-Dname=a b", L"-xmx50P",
                           L"-Dhome=%APPDATA%\\X", L"-Xss1m"}));
  EXPECT_EQ(stack, 1048576u);

  stack = 0;
  texts = jvm::ComposeVmOptionTexts(L"a.jar;", L"", L"", L"-Xss1P", {8 * gib, 0}, stack);
  EXPECT_EQ(texts.back(), L"-Xss83886K");
  EXPECT_EQ(stack, 83886u * 1024) << "-Xss directives are read after their rewrite to kilobytes";

  stack = 123;
  jvm::ComposeVmOptionTexts(L"a.jar;", L"", L"", L"-Dx=1", {}, stack);
  EXPECT_EQ(stack, 123u) << "no -Xss token leaves the stack size alone";
  jvm::ComposeVmOptionTexts(L"a.jar;", L"", L"", L"-Xssfoo", {}, stack);
  EXPECT_EQ(stack, 0u) << "an unreadable -Xss gives the default stack";
}

}  // namespace
