#include "jvm/module_options.h"

#include "common/splitting.h"
#include "common/text.h"
#include "jvm/vm_options.h"

namespace jvm {
namespace {

// The module options that java also takes as a name and a separate value,
// each followed by a space.
constexpr std::wstring_view kTwoTokenOptions =
    L"--module-path --upgrade-module-path --add-modules --limit-modules --add-exports --add-opens --add-reads "
    L"--patch-module --enable-native-access ";

constexpr std::wstring_view kSunJavaCommand = L"-Dsun.java.command";

}  // namespace

std::wstring ComposeModulePath(std::wstring_view setting, std::wstring_view executableFolderWithSlash,
                               PathExists exists, Expansion expand) {
  std::vector<std::wstring> entries;
  text::SplitBySeparator(entries, setting, L";");
  std::wstring path;
  for (const std::wstring& entry : entries) {
    const std::wstring full = IsRelativeEntry(expand(entry)) ? std::wstring(executableFolderWithSlash) + entry : entry;
    if (entry.empty() || !exists(expand(full))) continue;
    if (!path.empty()) path += L';';
    path += full;
  }
  return path;
}

std::wstring_view TwoTokenModuleOption(std::wstring_view token) {
  if (token == L"-p") return kTwoTokenOptions.substr(0, 13);  // "--module-path"
  for (std::size_t start = 0; start < kTwoTokenOptions.size();) {
    const std::size_t end = kTwoTokenOptions.find(L' ', start);
    const std::wstring_view option = kTwoTokenOptions.substr(start, end - start);
    if (token == option) return option;
    start = end + 1;
  }
  return {};
}

std::wstring SunJavaCommandOption(std::wstring_view mainClass, std::wstring_view mainModule,
                                  const std::vector<std::wstring>& arguments) {
  std::wstring option(kSunJavaCommand);
  option += L'=';
  option += mainModule;
  if (!mainModule.empty() && !mainClass.empty()) option += L'/';
  option += text::ReplaceAll(std::wstring(mainClass), L'/', L'.');
  for (const std::wstring& argument : arguments) {
    option += L' ';
    option += argument;
  }
  return option;
}

bool SetsSunJavaCommand(std::wstring_view option) {
  return option.substr(0, kSunJavaCommand.size()) == kSunJavaCommand &&
         (option.size() == kSunJavaCommand.size() || option[kSunJavaCommand.size()] == L'=');
}

}  // namespace jvm
