// Class data sharing as HotSpot decides it at creation: which archive the VM
// writes at its end, and what it refuses beside the archive options (the
// checks in tests/jni compare each with OpenJDK 17 and JDK 25).
#include <windows.h>

#include <string>
#include <vector>

#include "world.h"

namespace jvmdouble {
namespace {

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

// A variable of options, split as HotSpot splits it: at white space, quotes removed.
void AppendEnvironmentOptions(std::vector<std::string>& options, const char* name) {
  char value[8192];
  const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
  if (length == 0 || length >= sizeof value) return;
  std::string option;
  bool inOption = false;
  for (DWORD i = 0; i <= length; ++i) {
    const char c = i < length ? value[i] : ' ';
    if (c == '\'' || c == '"') {
      for (++i; i < length && value[i] != c; ++i) option += value[i];
      inOption = true;
    } else if (c == ' ' || (c >= '\t' && c <= '\r')) {
      if (inOption) options.push_back(option);
      option.clear();
      inOption = false;
    } else {
      option += c;
      inOption = true;
    }
  }
}

// The value of the last option with `prefix`; `found` says whether there was one.
std::string Last(const std::vector<std::string>& options, const char* prefix, bool* found = nullptr) {
  std::string value;
  if (found != nullptr) *found = false;
  for (const std::string& option : options) {
    if (!StartsWith(option, prefix)) continue;
    value = option.substr(std::string(prefix).size());
    if (found != nullptr) *found = true;
  }
  return value;
}

// Whether a path list names a folder with something in it.
bool NamesFullFolder(const std::string& list) {
  std::size_t start = 0;
  while (start <= list.size()) {
    std::size_t end = list.find(';', start);
    if (end == std::string::npos) end = list.size();
    const std::string entry = list.substr(start, end - start);
    const DWORD attributes = entry.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(entry.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      WIN32_FIND_DATAA data;
      HANDLE find = FindFirstFileA((entry + "\\*").c_str(), &data);
      bool full = false;
      while (find != INVALID_HANDLE_VALUE && !full) {
        full = std::string(data.cFileName) != "." && std::string(data.cFileName) != "..";
        if (!FindNextFileA(find, &data)) break;
      }
      if (find != INVALID_HANDLE_VALUE) FindClose(find);
      if (full) return true;
    }
    start = end + 1;
  }
  return false;
}

const char kAtCreation[] = "Error occurred during initialization of VM\r\n";
const char kDumping[] = "Error occurred during CDS dumping\r\n";

}  // namespace

std::string ConfigureSharing(const std::vector<std::string>& launcherOptions) {
  // HotSpot reads JAVA_TOOL_OPTIONS before the launcher's options, _JAVA_OPTIONS after them.
  std::vector<std::string> options;
  AppendEnvironmentOptions(options, "JAVA_TOOL_OPTIONS");
  options.insert(options.end(), launcherOptions.begin(), launcherOptions.end());
  AppendEnvironmentOptions(options, "_JAVA_OPTIONS");
  bool atExit = false, aotOutput = false, aotUse = false, xshare = false, shared = false;
  const std::string atExitFile = Last(options, "-XX:ArchiveClassesAtExit=", &atExit);
  const std::string aotOutputFile = Last(options, "-XX:AOTCacheOutput=", &aotOutput);
  const std::string aotFile = Last(options, "-XX:AOTCache=", &aotUse);
  const std::string share = Last(options, "-Xshare:", &xshare);
  const std::string sharedFile = Last(options, "-XX:SharedArchiveFile=", &shared);
  bool autoCreate = false, agent = false, classList = false;
  const char* moduleOption = nullptr;
  std::string paths;
  for (const std::string& option : options) {
    if (option == "-XX:+AutoCreateSharedArchive" || option == "-XX:-AutoCreateSharedArchive") {
      autoCreate = option[4] == '+';
    }
    agent = agent || StartsWith(option, "-javaagent:");
    classList = classList || StartsWith(option, "-XX:SharedClassListFile=") || StartsWith(option, "-XX:DumpLoadedClassList=");
    for (const char* refused : {"--limit-modules", "--patch-module", "--upgrade-module-path"}) {
      if (moduleOption == nullptr && StartsWith(option, refused)) moduleOption = refused;
    }
    if (StartsWith(option, "-Xbootclasspath/a:")) paths += option.substr(18) + ";";
  }
  paths += Last(options, "-Djava.class.path=");

  if (aotOutput || aotUse) {
    const std::string name = aotOutput ? "AOTCacheOutput" : "AOTCache";
    if (xshare || classList || shared) {
      return kAtCreation + ("Option " + name) +
             " cannot be used at the same time with -Xshare:on, -Xshare:auto, -Xshare:off, -Xshare:dump, "
             "DumpLoadedClassList, SharedClassListFile, or SharedArchiveFile\r\n";
    }
    if ((aotOutput ? aotOutputFile : aotFile).find(';') != std::string::npos) {
      return kAtCreation + ("Option " + name) + " must specify a single file name\r\n";
    }
  }
  // -XX:+AutoCreateSharedArchive writes only when the file is not there, and
  // not beside the options it cannot archive with.
  const bool autoDump = !atExit && autoCreate && shared && share != "off" &&
                        GetFileAttributesA(sharedFile.c_str()) == INVALID_FILE_ATTRIBUTES;
  if (atExit && share == "off") {
    return std::string(kAtCreation) + "DynamicDumpSharedSpaces is unsupported when base CDS archive is not loaded\r\n";
  }
  if ((atExit || autoDump) && agent) {
    return std::string(kDumping) + "Must enable AllowArchivingWithJavaAgent in order to run Java agent during CDS dumping\r\n";
  }
  if ((atExit || aotOutput) && moduleOption != nullptr) {
    return std::string(kAtCreation) + "Cannot use the following option when dumping the shared archive: " +
           moduleOption + "\r\n";
  }
  VmConfig& config = Config();
  if (atExit) {
    config.archive = atExitFile;
    config.archiveMagic = 0xF00BABA8u;
    config.archiveReadOnly = true;
  } else if (aotOutput) {
    config.archive = aotOutputFile;
    config.archiveMagic = 0xF00BABA2u;
  } else if (autoDump && moduleOption == nullptr) {
    config.archive = sharedFile;
    config.archiveMagic = 0xF00BABA8u;
  }
  // Refused only once the application has run, when the archive is written.
  if (!config.archive.empty() && NamesFullFolder(paths)) {
    config.archiveRefusal = std::string(kDumping) + "Cannot have non-empty directory in paths\r\n";
  }
  return {};
}

}  // namespace jvmdouble
