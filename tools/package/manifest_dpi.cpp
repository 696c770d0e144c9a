#include "tools/package/manifest_dpi.h"

namespace package {
namespace {

constexpr char kOpen[] = "<application xmlns=\"urn:schemas-microsoft-com:asm.v3\">";
constexpr char kClose[] = "</application>";
constexpr char kAssemblyEnd[] = "</assembly>";

constexpr char kLongPathAware[] =
    "      <longPathAware xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">true</longPathAware>\n";

// The "windowsSettings" lines for `awareness`, and the long-path declaration
// the launcher's own manifest makes there.
std::string Settings(DpiAwareness awareness, bool longPaths) {
  std::string inner;
  if (awareness == DpiAwareness::System) {
    inner = "      <dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true</dpiAware>\n";
  } else if (awareness == DpiAwareness::PerMonitor) {
    inner =
        "      <dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true/pm</dpiAware>\n"
        "      <dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">"
        "PerMonitorV2,PerMonitor</dpiAwareness>\n";
  }
  if (longPaths) inner += kLongPathAware;
  return inner;
}

}  // namespace

bool SetDpiAwareness(std::string& manifest, DpiAwareness awareness) {
  // Only the launcher's own manifest is edited, and it has one asm.v3
  // "application" block at most: its own, which declares long paths, or the
  // one a previous packaging made in its place. The block is written anew
  // with the DPI declaration asked for, and long paths kept when declared.
  bool longPaths = false;
  std::size_t open = manifest.find(kOpen);
  if (open != std::string::npos) {
    std::size_t close = manifest.find(kClose, open);
    if (close == std::string::npos) return false;
    const std::size_t longPath = manifest.find("longPathAware", open);  // with or without a prefix
    longPaths = longPath < close && manifest.find(">true<", longPath) < close;
    std::size_t lineStart = open;
    while (lineStart > 0 && manifest[lineStart - 1] == ' ') --lineStart;
    std::size_t end = close + sizeof kClose - 1;
    if (end < manifest.size() && manifest[end] == '\n') ++end;
    manifest.erase(lineStart, end - lineStart);
  }
  std::size_t assemblyEnd = manifest.rfind(kAssemblyEnd);
  if (assemblyEnd == std::string::npos) return false;
  const std::string inner = Settings(awareness, longPaths);
  if (!inner.empty()) {
    manifest.insert(assemblyEnd, std::string("  ") + kOpen + "\n    <windowsSettings>\n" + inner +
                                     "    </windowsSettings>\n  " + kClose + "\n");
  }
  return true;
}

}  // namespace package
