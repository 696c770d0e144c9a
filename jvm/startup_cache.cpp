#include "jvm/startup_cache.h"

#include <cstdint>

#include "common/splitting.h"
#include "common/text.h"

namespace jvm {

// Literals as views: their length is known when the launcher is built.
using namespace std::string_view_literals;

namespace {

using text::StartsWith;

constexpr std::uint64_t kHashStart = 14695981039346656037ull;

// FNV-1a over the UTF-16 units, the piece ended by a NUL so that pieces
// cannot run into each other.
void Hash(std::uint64_t& hash, std::wstring_view piece) {
  for (std::size_t i = 0; i <= piece.size(); ++i) {
    hash = (hash ^ static_cast<std::uint16_t>(i < piece.size() ? piece[i] : 0)) * 1099511628211ull;
  }
}

// Whether an entry of the path list after `prefix` in `option` is a folder
// the runtime will not archive: on the class path any folder; on the module
// path (`within`) one holding a folder, that is an exploded module or a
// folder of them (a folder of jars is fine).
bool NamesFolder(const std::wstring& option, std::wstring_view prefix, bool within, CacheFolder& cacheFolder) {
  if (!StartsWith(option, prefix)) return false;
  std::vector<std::wstring> entries;
  text::SplitBySeparator(entries, std::wstring_view(option).substr(prefix.size()), L";"sv);
  for (std::wstring& entry : entries) {
    while (!entry.empty() && (entry.back() == L'\\' || entry.back() == L'/')) entry.pop_back();
    if (!entry.empty() && cacheFolder.FindsFolder(within ? entry + L"\\*" : entry)) return true;
  }
  return false;
}

// Why the runtime would refuse, or mishandle, a cache beside one option; null
// when it would not.
const wchar_t* Refusal(const std::wstring& option, bool aotCache, CacheFolder& cacheFolder) {
  if (SteersClassDataCache(option)) return L"VM parameters";
  // Runtimes refuse to archive classes from a folder: some end the process
  // at exit, others spend seconds at every start failing to.
  if (NamesFolder(option, L"-Djava.class.path="sv, false, cacheFolder)) return L"a folder on the class path";
  if (NamesFolder(option, L"-Xbootclasspath/a:"sv, false, cacheFolder)) return L"a folder on -Xbootclasspath/a:";
  if (NamesFolder(option, L"--module-path="sv, true, cacheFolder)) return L"an exploded module on the module path";
  // Refused while a cache is written: the runtime ends the process at its
  // creation. JDK 25's AOT cache takes an agent.
  for (const wchar_t* refused : {L"--limit-modules", L"--patch-module", L"--upgrade-module-path", L"-javaagent:"}) {
    if (StartsWith(option, refused) && !(aotCache && refused[1] == L'j')) return refused;
  }
  return nullptr;
}

}  // namespace

std::vector<std::wstring> EnvironmentVmOptions(std::wstring_view value) {
  std::vector<std::wstring> options;
  std::size_t i = 0;
  while (i < value.size()) {
    if (value[i] == L' ' || (value[i] >= L'\t' && value[i] <= L'\r')) {
      ++i;
      continue;
    }
    std::wstring option;
    while (i < value.size() && value[i] != L' ' && !(value[i] >= L'\t' && value[i] <= L'\r')) {
      if (value[i] == L'\'' || value[i] == L'"') {
        const std::size_t end = value.find(value[i], i + 1);
        option.append(value.substr(i + 1, end == std::wstring_view::npos ? end : end - i - 1));
        i = end == std::wstring_view::npos ? value.size() : end + 1;
      } else {
        option += value[i++];
      }
    }
    options.push_back(std::move(option));
  }
  return options;
}

std::wstring RefusedMarkerOf(const std::wstring& file) { return file + L".off"; }

const wchar_t* RefusalAtEnd(bool aborted, int code, bool mainRan, bool writing) {
  if (aborted) return !mainRan || writing ? L"the VM aborted" : nullptr;
  return code != 0 && !mainRan ? L"the VM ended with an error before main" : nullptr;
}

int FeatureRelease(int first, int second) { return first == 1 ? second : first; }

bool SteersClassDataCache(std::wstring_view option) {
  // -XX:AOTCache, AOTCacheOutput, AOTConfiguration, AOTMode; SharedArchiveFile,
  // SharedClassListFile, UseSharedSpaces, ArchiveClassesAtExit,
  // AutoCreateSharedArchive, DumpLoadedClassList...; and the files of further
  // options (-XX:Flags=, -XX:VMOptionsFile=), which may hold any of them.
  for (std::wstring_view prefix : {L"-Xshare:", L"-XX:AOT", L"-XX:Flags=", L"-XX:VMOptionsFile="}) {
    if (StartsWith(option, prefix)) return true;
  }
  if (!StartsWith(option, L"-XX:"sv)) return false;
  for (std::wstring_view word : {L"Shared", L"Archive", L"ClassList"}) {
    if (option.find(word) != std::wstring_view::npos) return true;
  }
  return false;
}

std::wstring SafeFolderName(std::wstring_view name) {
  std::wstring safe(name);
  for (wchar_t& c : safe) {
    if (c < L' ' || L"<>:\"/\\|?*;"sv.find(c) != std::wstring_view::npos) c = L'_';
  }
  for (auto c = safe.rbegin(); c != safe.rend() && (*c == L'.' || *c == L' '); ++c) *c = L'_';
  return safe;
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
  folder += SafeFolderName(productFolder);
  if (!productCode.empty()) {
    folder += L'\\';
    folder += SafeFolderName(productCode);
  }
  return folder + L"\\cache\\";
}

std::wstring StartupCacheFileName(bool aotCache, std::initializer_list<std::wstring_view> identity,
                                  const std::vector<std::wstring>& optionTexts) {
  std::uint64_t hash = kHashStart;
  for (std::wstring_view piece : identity) Hash(hash, piece);
  for (const std::wstring& option : optionTexts) Hash(hash, option);
  std::wstring name;
  for (int shift = 60; shift >= 0; shift -= 4) {
    const int digit = (hash >> shift) & 15;
    name += static_cast<wchar_t>(digit < 10 ? L'0' + digit : L'a' + digit - 10);
  }
  return name + (aotCache ? L".aot" : L".jsa");
}

bool IsArchiveMagic(std::uint32_t magic) { return magic == 0xF00BABA2u || magic == 0xF00BABA8u; }

const wchar_t* AddStartupCacheOptions(std::vector<std::wstring>& optionTexts, int feature, bool aotCache,
                                      bool baseArchive, const std::wstring& folder, std::wstring_view tag,
                                      std::initializer_list<std::wstring_view> identity, CacheFolder& cacheFolder,
                                      StartupCacheFiles& files,
                                      std::initializer_list<std::pair<const wchar_t*, std::wstring_view>> environment) {
  if (feature < 13) return feature == 0 ? L"no version" : L"before 13";
  aotCache = aotCache && feature >= 25;
  for (const std::wstring& option : optionTexts) {
    if (const wchar_t* why = Refusal(option, aotCache, cacheFolder)) return why;
  }
  // The runtime reads these itself; JDK_JAVA_OPTIONS only bin\java, which makes the AOT cache.
  for (const auto& [name, value] : environment) {
    if (!aotCache && std::wstring_view(name) == L"JDK_JAVA_OPTIONS"sv) continue;
    for (const std::wstring& option : EnvironmentVmOptions(value)) {
      // bin\java reads a file of further options for "@file".
      if (option.starts_with(L'@') || Refusal(option, aotCache, cacheFolder) != nullptr) return name;
    }
  }
  // A dynamic archive extends the runtime's own: without it OpenJDK 17 ends
  // the process, JDK 25 never makes one.
  if (!aotCache && !baseArchive) return L"no classes.jsa";
  // The runtime takes a ";" in its file's name for a list of files.
  if (folder.empty() || folder.find(L';') != std::wstring::npos) return L"no folder";
  if (const wchar_t* why = cacheFolder.MakeWritable(folder)) return why;
  files.file = folder + StartupCacheFileName(aotCache, identity, optionTexts);
  // A start that ended with the runtime's refusal marked the file's name.
  if (cacheFolder.Exists(RefusedMarkerOf(files.file))) {
    files.file.clear();
    return L"refused at an earlier start";
  }
  const bool use = cacheFolder.Holds(files.file);
  if (!use && cacheFolder.FreeBytes(folder) < kCacheRoomBytes) {
    files.file.clear();
    return L"little free space";
  }
  // Else the runtime writes a name of this start's own: a start that is cut
  // short, or another one writing at the same time, leaves no file that looks
  // finished.
  if (!use) {
    files.written.assign(files.file, 0, files.file.size() - 4);
    files.written += L'.';
    files.written += tag;
    files.written += L".tmp";
  }
  std::wstring cacheOption = use ? (aotCache ? L"-XX:AOTCache=" : L"-XX:SharedArchiveFile=")
                             : aotCache      ? L"-XX:AOTCacheOutput="
                             : feature >= 19 ? L"-XX:SharedArchiveFile="
                                             : L"-XX:ArchiveClassesAtExit=";
  cacheOption += use ? files.file : files.written;
  std::vector<std::wstring> texts;
  for (std::wstring& text : optionTexts) {
    texts.push_back(std::move(text));
    if (texts.size() > 1) continue;
    if (!use && !aotCache && feature >= 19) texts.push_back(L"-XX:+AutoCreateSharedArchive");
    texts.push_back(std::move(cacheOption));
    // The runtime's messages about the cache carry the tag "cds", from 25 on "aot" too.
    texts.push_back(feature >= 25 ? L"-Xlog:aot*=off,cds*=off" : L"-Xlog:cds*=off");
  }
  optionTexts.swap(texts);
  return nullptr;
}

}  // namespace jvm
