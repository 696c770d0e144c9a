// The rules for modular applications: the module path, the module options
// and their two-token forms, and sun.java.command.
#include <gtest/gtest.h>

#include <cwchar>
#include <utility>

#include "jvm/module_options.h"
#include "jvm/vm_options.h"

namespace {

using Tokens = std::vector<std::wstring>;

bool Exists(const std::wstring& path) {
  for (const wchar_t* existing : {L"C:\\app\\mods", L"C:\\app\\lib\\core.jar", L"D:\\shared\\mods",
                                  L"\\\\server\\m", L"D:\\fx\\lib"}) {
    if (path == existing) return true;
  }
  return false;
}

// %FX% stands for D:\fx, %LIB% for lib.
std::wstring Expand(std::wstring_view text) {
  std::wstring out(text);
  for (const auto& [name, value] : {std::pair{L"%FX%", L"D:\\fx"}, std::pair{L"%LIB%", L"lib"}}) {
    for (std::size_t at; (at = out.find(name)) != std::wstring::npos;) out.replace(at, wcslen(name), value);
  }
  return out;
}

TEST(VmModulePath, RelativeEntriesUnderTheExecutableAndMissingOnesDropped) {
  const struct {
    const wchar_t *setting, *path;
  } cases[] = {
      {L"mods;lib\\core.jar", L"C:\\app\\mods;C:\\app\\lib\\core.jar"},
      {L"D:\\shared\\mods;missing;;\\\\server\\m;", L"D:\\shared\\mods;\\\\server\\m"},
      // References stay for the expansion of the whole option; whether an
      // entry is relative and whether it exists is judged on its expansion.
      {L"%FX%\\lib;%LIB%\\core.jar;%FX%\\none", L"%FX%\\lib;C:\\app\\%LIB%\\core.jar"},
      {L"lib\\*.jar", L""},  // no wildcards
      {L"missing;D:\\absent", L""},
      {L"", L""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(jvm::ComposeModulePath(c.setting, L"C:\\app\\", Exists, Expand), c.path) << c.setting;
  }
}

TEST(VmModuleOptions, ModuleOptionsFollowTheClassPathInTheirOneStringForm) {
  const struct {
    const wchar_t *modulePath, *mainModule, *parameters;
    Tokens texts;  // after the class path option
  } cases[] = {
      {L"C:\\app\\mods", L"app.core", L"-Xmx1g", {L"--module-path=C:\\app\\mods", L"--add-modules=app.core", L"-Xmx1g"}},
      {L"", L"", L"-p mods -Xmx50P", {L"--module-path=mods", L"-Xmx524288K"}},  // joined before memory directives
      {L"", L"", L"--module-path \"C:\\my mods\"", {L"--module-path=C:\\my mods"}},
      {L"", L"", L"--upgrade-module-path u --add-modules a,b --limit-modules %L%",
       {L"--upgrade-module-path=u", L"--add-modules=a,b", L"--limit-modules=%L%"}},
      {L"", L"", L"--add-exports m/p=ALL-UNNAMED --add-opens m/p=x --add-reads m=n",
       {L"--add-exports=m/p=ALL-UNNAMED", L"--add-opens=m/p=x", L"--add-reads=m=n"}},
      {L"", L"", L"--patch-module m=p.jar --enable-native-access ALL-UNNAMED",
       {L"--patch-module=m=p.jar", L"--enable-native-access=ALL-UNNAMED"}},
      {L"", L"", L"--add-modules=a -p=x -P y", {L"--add-modules=a", L"-p=x", L"-P", L"y"}},  // as they stand
      {L"", L"", L"-p --add-modules", {L"--module-path=--add-modules"}},  // the next token is the value
      {L"", L"", L"-Xss1m --add-opens", {L"-Xss1m", L"--add-opens"}},     // no value at the very end
      {L"", L"", L"-p", {L"-p"}},
  };
  for (const auto& c : cases) {
    std::uint64_t stack = 0;
    Tokens expected = c.texts;
    expected.insert(expected.begin(), L"-Djava.class.path=a.jar");
    EXPECT_EQ(jvm::ComposeVmOptionTexts(L"a.jar;", c.modulePath, c.mainModule, c.parameters, {1024ull << 20, 0}, stack),
              expected)
        << c.parameters;
  }
}

TEST(VmSunJavaCommand, NamesTheMainClassAndTheArguments) {
  const struct {
    const wchar_t *mainClass, *module;
    Tokens arguments;
    const wchar_t* option;
  } cases[] = {
      {L"com/example/Main", L"", {L"a", L"two words", L""}, L"-Dsun.java.command=com.example.Main a two words "},
      {L"com/example/Main", L"app.core", {}, L"-Dsun.java.command=app.core/com.example.Main"},
      {L"", L"app.core", {L"x"}, L"-Dsun.java.command=app.core x"},
  };
  for (const auto& c : cases) EXPECT_EQ(jvm::SunJavaCommandOption(c.mainClass, c.module, c.arguments), c.option);
  for (const wchar_t* option : {L"-Dsun.java.command=x", L"-Dsun.java.command"}) {
    EXPECT_TRUE(jvm::SetsSunJavaCommand(option)) << option;
  }
  for (const wchar_t* option : {L"-Dsun.java.commander=x", L"-Dsun.java.comman", L"-Xsun.java.command=x"}) {
    EXPECT_FALSE(jvm::SetsSunJavaCommand(option)) << option;
  }
}

}  // namespace
