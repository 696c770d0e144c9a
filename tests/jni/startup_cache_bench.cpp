// The startup cache's gain on the real runtimes: a small application with
// many classes (tests/jni/java/cachetest) started through the launcher's JNI
// layer, with the cache against without it, alternately, ratio of medians.
// Usage: startup_cache_bench <feature release> <libjvm.so> [runs]
#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "jvm/startup_cache.h"
#include "tests/jni/native_start.h"

namespace {

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s <feature release> <libjvm.so> [runs]\n", argv[0]);
    return 2;
  }
  const int feature = std::atoi(argv[1]);
  const std::string libjvm = argv[2];
  const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 15;
  char pattern[] = "/tmp/vorn-cache-bench-XXXXXX";
  if (mkdtemp(pattern) == nullptr) return 1;
  const std::string scratch = pattern;
  const std::wstring classPath = nativestart::Wide(VORN_CACHE_TEST_JAR);
  const std::wstring classPathOption = L"-Djava.class.path=" + classPath;

  auto start = [&](bool cache) {
    nativestart::Start s{libjvm, {nativestart::Narrow(classPathOption), "-XX:-UsePerfData"}, "cachetest/App", {},
                         scratch + "/output.txt"};
    if (cache) {
      nativestart::PosixCacheFolder disk;
      std::vector<std::wstring> texts{classPathOption};
      jvm::AddStartupCacheOptions(texts, feature, true, true, nativestart::Wide(scratch) + L"\\cache\\", L"1",
                                  {nativestart::Wide(libjvm)}, disk, s.cache);
      for (std::size_t i = 1; i < texts.size(); ++i) s.options.push_back(nativestart::Narrow(texts[i]));
    }
    nativestart::Result result = nativestart::RunStart(s);
    if (result.exitCode != 0) std::fprintf(stderr, "a start failed:\n%s\n", nativestart::ReadFile(s.outputFile).c_str());
    return result;
  };

  const nativestart::Result making = start(true);  // makes the cache at its end
  start(false);                                    // warms the file system cache for both
  std::vector<double> mainNone, mainCache, wholeNone, wholeCache, cpuNone, cpuCache;
  for (int i = 0; i < runs; ++i) {
    for (bool cache : {false, true}) {
      nativestart::Result r = start(cache);
      (cache ? mainCache : mainNone).push_back(r.mainDoneMs);
      (cache ? wholeCache : wholeNone).push_back(r.wholeMs);
      (cache ? cpuCache : cpuNone).push_back(r.cpuMs);
    }
  }
  std::filesystem::remove_all(scratch);
  const double none = Median(mainNone), cached = Median(mainCache);
  std::printf("JDK %d, %s, %d runs each: start until main returned: without %.0f ms, with the cache %.0f ms, "
              "ratio %.2f; whole process %.0f / %.0f ms (%.2f); processor time %.0f / %.0f ms (%.2f); "
              "the start that made it: %.0f ms whole\n",
              feature, feature >= 25 ? "AOT cache" : "dynamic archive", runs, none, cached, cached / none,
              Median(wholeNone), Median(wholeCache), Median(wholeCache) / Median(wholeNone), Median(cpuNone),
              Median(cpuCache), Median(cpuCache) / Median(cpuNone), making.wholeMs);
  return 0;
}
