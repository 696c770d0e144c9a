#include "runtime/missing_runtime_rules.h"

#include "report/message_ids.h"

namespace runtime {

unsigned MissingRuntimeMessageId(JvmType type) {
  return type == JvmType::Server ? IDS_JRE_NOT_FOUND_SERVER : IDS_JRE_NOT_FOUND;
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
