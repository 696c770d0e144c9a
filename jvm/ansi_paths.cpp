#include "jvm/ansi_paths.h"

#include <array>

#include "report/diagnostics_log.h"

namespace jvm {
namespace {

constexpr std::array<std::wstring_view, 3> kPathListOptions{L"-Djava.class.path=", L"-Djava.library.path=",
                                                            L"--module-path="};

}  // namespace

std::wstring AnsiSafePath(const std::wstring& path, CleanConversion converts, ShortPathLookup shortPath) {
  if (converts(path)) return path;
  std::wstring shortForm = shortPath(path);
  if (!shortForm.empty() && converts(shortForm)) {
    diag::Log({"not ANSI, short form: ", path, " -> ", shortForm});
    return shortForm;
  }
  diag::Log({"not ANSI, no usable short form, kept: ", path});
  return path;
}

std::wstring AnsiSafeOption(std::wstring_view option, CleanConversion converts, ShortPathLookup shortPath) {
  // Options that convert cleanly, the usual case, are not taken apart.
  if (converts(option)) return std::wstring(option);
  for (std::wstring_view prefix : kPathListOptions) {
    if (option.substr(0, prefix.size()) != prefix) continue;
    std::wstring out(prefix);
    std::wstring_view list = option.substr(prefix.size());
    for (;;) {
      const std::size_t separator = list.find(L';');
      out += AnsiSafePath(std::wstring(list.substr(0, separator)), converts, shortPath);
      if (separator == std::wstring_view::npos) break;
      out += L';';
      list.remove_prefix(separator + 1);
    }
    return out;
  }
  return std::wstring(option);
}

}  // namespace jvm
