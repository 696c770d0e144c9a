// What the runtimes refuse beside the startup cache's options, one table for
// the real OpenJDK 17 and JDK 25 (startup_cache_native_test.cpp) and for the
// test-double jvm.dll (tests/unit/jvm_double_sharing_test.cpp), so that the
// double is never kinder than the runtime. In the options, {archive} is a
// file name in a new folder, {folder} a folder with a file in it, {agent} a
// Java agent's jar and {separator} the platform's path list separator.
#pragma once

#include <string>
#include <vector>

namespace cacherefusals {

// How a start writes its cache: OpenJDK 17's -XX:ArchiveClassesAtExit, JDK
// 25's dynamic archive (-XX:+AutoCreateSharedArchive) or its AOT cache.
enum class Route { kArchiveAtExit, kAutoCreate, kAotCache };
// Whether the application runs and the process ends well, or the VM calls its
// abort hook and ends the process with 1: at its creation, or at its end
// (after main) when it writes the archive.
enum class Outcome { kRuns, kAbortsAtCreation, kAbortsAtExit };

struct Case {
  Route route;
  std::vector<std::string> options;  // besides the route's own
  const char* variable;              // a variable of VM options, or null
  const char* value;
  Outcome outcome;
  const char* said;  // part of what the VM says when it aborts
};

inline int FeatureOf(Route route) { return route == Route::kArchiveAtExit ? 17 : 25; }

inline std::vector<std::string> RouteOptions(Route route) {
  switch (route) {
    case Route::kArchiveAtExit:
      return {"-XX:ArchiveClassesAtExit={archive}.jsa"};
    case Route::kAutoCreate:
      return {"-XX:+AutoCreateSharedArchive", "-XX:SharedArchiveFile={archive}.jsa"};
    case Route::kAotCache:
      break;
  }
  return {"-XX:AOTCacheOutput={archive}.aot"};
}

inline std::vector<Case> Cases() {
  using enum Route;
  using enum Outcome;
  static constexpr char kAgent[] = "Must enable AllowArchivingWithJavaAgent";
  static constexpr char kDumping[] = "Cannot use the following option when dumping the shared archive: ";
  static constexpr char kFolder[] = "Cannot have non-empty directory in paths";
  static constexpr char kBeside[] = "cannot be used at the same time with -Xshare:on";
  return {
      {kArchiveAtExit, {"-javaagent:{agent}"}, nullptr, nullptr, kAbortsAtCreation, kAgent},
      {kAutoCreate, {"-javaagent:{agent}"}, nullptr, nullptr, kAbortsAtCreation, kAgent},
      {kAotCache, {"-javaagent:{agent}"}, nullptr, nullptr, kRuns, ""},
      {kArchiveAtExit, {"--limit-modules=java.se"}, nullptr, nullptr, kAbortsAtCreation, kDumping},
      {kArchiveAtExit, {"--upgrade-module-path={folder}"}, nullptr, nullptr, kAbortsAtCreation, kDumping},
      {kAotCache, {"--patch-module=java.base={folder}"}, nullptr, nullptr, kAbortsAtCreation, kDumping},
      {kAotCache, {"--upgrade-module-path={folder}"}, nullptr, nullptr, kAbortsAtCreation, kDumping},
      {kAutoCreate, {"--limit-modules=java.se"}, nullptr, nullptr, kRuns, ""},
      {kArchiveAtExit, {"-Xbootclasspath/a:{folder}"}, nullptr, nullptr, kAbortsAtExit, kFolder},
      {kAutoCreate, {"-Xbootclasspath/a:{folder}"}, nullptr, nullptr, kAbortsAtExit, kFolder},
      {kAotCache, {"-Xbootclasspath/a:{folder}"}, nullptr, nullptr, kAbortsAtExit, kFolder},
      {kArchiveAtExit, {}, "JAVA_TOOL_OPTIONS", "-Xshare:off", kAbortsAtCreation,
       "DynamicDumpSharedSpaces is unsupported when base CDS archive is not loaded"},
      {kAotCache, {}, "JAVA_TOOL_OPTIONS", "-Xshare:off", kAbortsAtCreation, kBeside},
      {kAotCache, {}, "_JAVA_OPTIONS", "-Xmx64m  -Xshare:auto", kAbortsAtCreation, kBeside},
      {kAutoCreate, {}, "JAVA_TOOL_OPTIONS", "-Xshare:off", kRuns, ""},
      // A path list separator in the file's name.
      {kAotCache, {"-XX:AOTCacheOutput={archive}{separator}x.aot"}, nullptr, nullptr, kAbortsAtCreation,
       "Option AOTCacheOutput must specify a single file name"},
  };
}

// The options of a case, the placeholders filled in.
inline std::vector<std::string> OptionsOf(const Case& c, const std::string& archive, const std::string& folder,
                                          const std::string& agent, const std::string& separator) {
  std::vector<std::string> options = RouteOptions(c.route);
  // A case's own file option stands in for the route's.
  if (!c.options.empty() && c.options[0].rfind("-XX:", 0) == 0) options.clear();
  options.insert(options.end(), c.options.begin(), c.options.end());
  for (std::string& option : options) {
    for (const auto& [mark, value] : {std::pair<std::string, std::string>{"{archive}", archive}, {"{folder}", folder},
                                      {"{agent}", agent}, {"{separator}", separator}}) {
      for (auto at = option.find(mark); at != std::string::npos; at = option.find(mark)) option.replace(at, mark.size(), value);
    }
  }
  return options;
}

}  // namespace cacherefusals
