#include "tools/package/manifest_dpi.h"

namespace package {
namespace {

constexpr char kOpen[] = "<application xmlns=\"urn:schemas-microsoft-com:asm.v3\">";
constexpr char kClose[] = "</application>";
constexpr char kAssemblyEnd[] = "</assembly>";

std::string Block(DpiAwareness awareness) {
  std::string inner;
  if (awareness == DpiAwareness::System) {
    inner = "      <dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true</dpiAware>\n";
  } else {
    inner =
        "      <dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true/pm</dpiAware>\n"
        "      <dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">"
        "PerMonitorV2,PerMonitor</dpiAwareness>\n";
  }
  return std::string("  ") + kOpen + "\n    <windowsSettings>\n" + inner + "    </windowsSettings>\n  " + kClose +
         "\n";
}

}  // namespace

bool SetDpiAwareness(std::string& manifest, DpiAwareness awareness) {
  // Only the launcher's own manifest is edited, and it has one asm.v3
  // "application" block at most: the one a previous packaging added.
  std::size_t open = manifest.find(kOpen);
  if (open != std::string::npos) {
    std::size_t close = manifest.find(kClose, open);
    if (close == std::string::npos) return false;
    std::size_t lineStart = open;
    while (lineStart > 0 && manifest[lineStart - 1] == ' ') --lineStart;
    std::size_t end = close + sizeof kClose - 1;
    if (end < manifest.size() && manifest[end] == '\n') ++end;
    manifest.erase(lineStart, end - lineStart);
  }
  std::size_t assemblyEnd = manifest.rfind(kAssemblyEnd);
  if (assemblyEnd == std::string::npos) return false;
  if (awareness != DpiAwareness::None) manifest.insert(assemblyEnd, Block(awareness));
  return true;
}

}  // namespace package
