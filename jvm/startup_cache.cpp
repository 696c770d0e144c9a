#include "jvm/startup_cache.h"

#include <cstdint>


namespace jvm {
namespace {

bool StartsWith(std::wstring_view text, std::wstring_view prefix) { return text.substr(0, prefix.size()) == prefix; }

}  // namespace

int FeatureRelease(int first, int second) { return first == 1 ? second : first; }

bool SteersClassDataCache(std::wstring_view option) {
  // -XX:AOTCache, AOTCacheOutput, AOTConfiguration, AOTMode; and every
  // -XX: option about the archive (SharedArchiveFile, ArchiveClassesAtExit,
  // +/-AutoCreateSharedArchive, ArchiveRelocationMode...).
  return option == L"-Xshare:off" || StartsWith(option, L"-XX:AOT") ||
         (StartsWith(option, L"-XX:") && option.find(L"Archive") != std::wstring_view::npos);
}

std::wstring StartupCacheFolder(std::wstring_view localAppData, std::wstring_view productFolder,
                                std::wstring_view productCode, std::wstring_view executablePath) {
  if (localAppData.empty()) return {};
  std::wstring folder(localAppData);
  folder += L'\\';
  if (productFolder.empty()) {
    std::wstring_view name = executablePath.substr(executablePath.rfind(L'\\') + 1);
    productFolder = name.substr(0, name.rfind(L'.'));
  }
  folder += productFolder;
  if (!productCode.empty()) {
    folder += L'\\';
    folder += productCode;
  }
  return folder + L"\\cache";
}

std::wstring StartupCacheFileName(int feature, std::initializer_list<std::wstring_view> identity) {
  // FNV-1a over the UTF-16 units, each piece ended by a NUL so that pieces
  // cannot run into each other.
  std::uint64_t hash = 14695981039346656037ull;
  for (std::wstring_view piece : identity) {
    for (std::size_t i = 0; i <= piece.size(); ++i) {
      hash = (hash ^ static_cast<std::uint16_t>(i < piece.size() ? piece[i] : 0)) * 1099511628211ull;
    }
  }
  std::wstring name;
  for (int shift = 60; shift >= 0; shift -= 4) {
    const int digit = (hash >> shift) & 15;
    name += static_cast<wchar_t>(digit < 10 ? L'0' + digit : L'a' + digit - 10);
  }
  return name + (feature >= 25 ? L".aot" : L".jsa");
}

const wchar_t* AddStartupCacheOptions(std::vector<std::wstring>& optionTexts, int feature, const std::wstring& folder,
                                      std::initializer_list<std::wstring_view> identity, CacheFolder& cacheFolder) {
  if (feature < 13) return feature == 0 ? L"no version" : L"before 13";
  for (const std::wstring& option : optionTexts) {
    if (SteersClassDataCache(option)) return L"VM parameters";
  }
  if (folder.empty() || !cacheFolder.MakeWritable(folder)) return L"no folder";
  const std::wstring file = folder + L"\\" + StartupCacheFileName(feature, identity);
  const bool exists = cacheFolder.Exists(file);
  const bool aot = feature >= 25, automatic = feature >= 19 && !aot;
  const wchar_t* use = aot ? L"-XX:AOTCache=" : L"-XX:SharedArchiveFile=";
  const wchar_t* make = aot ? L"-XX:AOTCacheOutput=" : automatic ? use : L"-XX:ArchiveClassesAtExit=";

  std::vector<std::wstring> texts;
  for (std::wstring& text : optionTexts) {
    texts.push_back(std::move(text));
    if (texts.size() > 1) continue;
    if (automatic) texts.push_back(L"-XX:+AutoCreateSharedArchive");
    texts.push_back((exists ? use : make) + file);
    // The runtime's messages about the cache carry the tag "cds", from 25 on "aot" too.
    texts.push_back(aot ? L"-Xlog:aot*=off,cds*=off" : L"-Xlog:cds*=off");
  }
  optionTexts.swap(texts);
  return nullptr;
}

}  // namespace jvm
