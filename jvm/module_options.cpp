#include "jvm/module_options.h"

#include <algorithm>

#include "common/splitting.h"
#include "common/text.h"
#include "jvm/vm_options.h"

namespace jvm {

// Literals as views: their length is known when the launcher is built.
using namespace std::string_view_literals;

namespace {

// The module options that java also takes as a name and a separate value,
// each followed by a space.
constexpr std::string_view kTwoTokenOptions =
    "-p --module-path --upgrade-module-path --add-modules --limit-modules --add-exports --add-opens --add-reads "
    "--patch-module --enable-native-access ";

constexpr std::wstring_view kSunJavaCommand = L"-Dsun.java.command";

}  // namespace

std::wstring ComposeModulePath(std::wstring_view setting, std::wstring_view executableFolderWithSlash,
                               PathExists exists, Expansion expand) {
  std::vector<std::wstring> entries;
  text::SplitBySeparator(entries, setting, L";"sv);
  std::wstring path;
  for (const std::wstring& entry : entries) {
    const std::wstring full = IsRelativeEntry(expand(entry)) ? std::wstring(executableFolderWithSlash) + entry : entry;
    if (entry.empty() || !exists(expand(full))) continue;
    if (!path.empty()) path += L';';
    path += full;
  }
  return path;
}

bool IsTwoTokenModuleOption(std::wstring_view token) {
  for (std::size_t start = 0, end; (end = kTwoTokenOptions.find(' ', start)) != std::string_view::npos;
       start = end + 1) {
    const std::string_view option = kTwoTokenOptions.substr(start, end - start);
    if (std::equal(token.begin(), token.end(), option.begin(), option.end())) return true;
  }
  return false;
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
