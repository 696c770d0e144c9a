#include "runtime/missing_runtime_rules.h"

#include "common/text.h"
#include "report/message_ids.h"
#include "resources/resource_ids.h"

namespace runtime {

unsigned MissingRuntimeMessageId(JvmType type) {
  return type == JvmType::Server ? IDS_JRE_NOT_FOUND_SERVER : IDS_JRE_NOT_FOUND;
}

std::wstring DownloadAddress(std::wstring_view value) {
  std::wstring address = text::Trim(value);
  std::wstring_view scheme = std::wstring_view(address).substr(0, address.find(L"//") + 2);
  bool web = text::EqualsIgnoreCase(scheme, L"http://") || text::EqualsIgnoreCase(scheme, L"https://");
  for (wchar_t c : address) web = web && c > L' ' && c != 0x7F;
  return web && address.size() > scheme.size() ? address : std::wstring(L"" DOWNLOAD_ADDRESS);
}

BrowsedRuntime ExamineBrowsedFolder(const std::wstring& path, JvmType type, const FileProbe& files,
                                    bool hasPairProduct, X86Test isX86) {
  BrowsedRuntime browsed;
  browsed.folder = path;
  if (browsed.folder.empty()) return browsed;
  if (browsed.folder.back() != L'\\') browsed.folder += L'\\';
  browsed.library = FindJvmLibrary(browsed.folder, type, files).path;
  if (!hasPairProduct && !browsed.library.empty() && isX86(browsed.library)) browsed.library.clear();
  return browsed;
}

}  // namespace runtime
