// Options for modular applications and for the tools that name a Java
// process: the module path, the two-token module options people copy from a
// java command line, and sun.java.command. Plain text work; whether a path
// exists comes in as a function.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace jvm {

// Whether the file or folder at a path exists, and a text with its
// environment references expanded.
using PathExists = bool (*)(const std::wstring& path);
using Expansion = std::wstring (*)(std::wstring_view text);

// The "Module Path" value as the text of the one --module-path option: an
// entry whose expansion is relative is put under the executable's folder,
// entries whose expansion does not exist are dropped (no wildcards), the rest
// joined with ";". References stay in the text for the expansion of the whole
// option, as in the class path. Empty when no entry is left.
std::wstring ComposeModulePath(std::wstring_view setting, std::wstring_view executableFolderWithSlash,
                               PathExists exists, Expansion expand);

// The VM takes module options through JNI only in their one-string form:
// whether a token is "-p" (short for "--module-path") or another module
// option that java also takes as a name and a separate value.
bool IsTwoTokenModuleOption(std::wstring_view token);

// "-Dsun.java.command=" with what the java command would name: the main
// class with dots ("module/class", or the module alone, with a main module),
// then the arguments, separated by single spaces.
std::wstring SunJavaCommandOption(std::wstring_view mainClass, std::wstring_view mainModule,
                                  const std::vector<std::wstring>& arguments);

// Whether an option text sets sun.java.command itself.
bool SetsSunJavaCommand(std::wstring_view option);

}  // namespace jvm
