#include "tests/jni/native_start.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>
#include <thread>

#include "jvm/java_calls.h"
#include "jvm/vm_output.h"

namespace nativestart {
namespace {

double NowMs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now.tv_sec * 1000.0 + now.tv_nsec / 1e6;
}

class QuietHost : public jvm::MainInvocationHost {
 public:
  void ReportMainNotCalled(unsigned id, const std::wstring&) override {
    std::fprintf(stderr, "main not called: message %u\n", id);
  }
  void MainAboutToRun() override {}
  void CloseSplash() override {}
  jvm::ExceptionAnswer ShowExceptionDialog(JNIEnv*, jthrowable) override { return jvm::ExceptionAnswer::kNotAsked; }
};

const std::string* childTailFile = nullptr;
void WriteTail() {
  if (childTailFile == nullptr || childTailFile->empty()) return;
  const std::string tail = jvm::VmOutputTail();
  if (FILE* file = std::fopen(childTailFile->c_str(), "wb")) {
    std::fwrite(tail.data(), 1, tail.size(), file);
    std::fclose(file);
  }
}
// The VM ends the process once this returns: what it said is kept first, and
// the hook's call is said on standard error.
void JNICALL SayAbort() {
  WriteTail();
  if (write(2, kAbortHookSays, sizeof kAbortHookSays - 1) < 0) return;
}
const jvm::StartupCacheFiles* childCache = nullptr;
void JNICALL FinishAtExit(jint) {
  if (childCache != nullptr) FinishCache(*childCache);
}

[[noreturn]] void RunChild(const Start& start, int timeFd) {
  childCache = &start.cache;
  childTailFile = &start.tailFile;
  int out = open(start.outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (out >= 0) {
    dup2(out, 1);
    dup2(out, 2);
    close(out);
  }
  void* library = dlopen(start.libjvm.c_str(), RTLD_NOW | RTLD_GLOBAL);
  auto create = library != nullptr ? reinterpret_cast<jvm::CreateJavaVmFn>(dlsym(library, "JNI_CreateJavaVM")) : nullptr;
  if (create == nullptr || (!start.workingDirectory.empty() && chdir(start.workingDirectory.c_str()) != 0)) {
    std::fprintf(stderr, "cannot load %s\n", start.libjvm.c_str());
    _exit(90);
  }
  jvm::UseRuntimeStreamsOf(library);
  JavaVM* vm = nullptr;
  bool ran = false;
  // The launcher's Java thread: creation, main, detach.
  std::thread javaThread([&] {
    JNIEnv* env = nullptr;
    if (jvm::CreateJavaVmWith(create, start.options, &SayAbort, &FinishAtExit, &vm, &env) != JNI_OK) {
      WriteTail();
      return;
    }
    jvm::VmStarted();
    QuietHost host;
    ran = jvm::CallMain(env, Wide(start.mainClass), start.arguments, false, host) == jvm::kMainReturned;
    const double done = NowMs();
    if (write(timeFd, &done, sizeof done) != sizeof done) ran = false;
    vm->DetachCurrentThread();
  });
  javaThread.join();
  if (vm == nullptr) _exit(91);
  vm->DestroyJavaVM();
  FinishCache(start.cache);
  std::fflush(nullptr);
  WriteTail();
  _exit(ran ? 0 : 92);
}

}  // namespace

Result RunStart(const Start& start) {
  Result result;
  int times[2];
  if (pipe(times) != 0) return result;
  std::fflush(nullptr);
  const double begin = NowMs();
  const pid_t child = fork();
  if (child == 0) {
    close(times[0]);
    RunChild(start, times[1]);
  }
  close(times[1]);
  int status = 0;
  rusage usage{};
  if (child > 0 && start.killWhileWriting) {
    // Bounded: a start that ends first is simply not killed.
    const std::string written = Narrow(start.cache.written);
    struct stat info {};
    while (waitpid(child, &status, WNOHANG) == 0) {
      if (stat(written.c_str(), &info) == 0 && info.st_size > 0) {
        kill(child, SIGKILL);
        break;
      }
      usleep(200);
    }
  }
  if (child > 0 && wait4(child, &status, 0, &usage) == child) {
    result.wholeMs = NowMs() - begin;
    result.cpuMs = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
                   (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
    if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    double done = 0;
    if (read(times[0], &done, sizeof done) == sizeof done) result.mainDoneMs = done - begin;
  }
  close(times[0]);
  return result;
}

const wchar_t* PosixCacheFolder::MakeWritable(const std::wstring& folder) {
  std::error_code error;
  std::filesystem::create_directories(Narrow(folder), error);
  const std::string probe = Narrow(folder) + "probe." + std::to_string(getpid()) + ".tmp";
  int fd = open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
  if (fd < 0) return L"no folder";
  close(fd);
  unlink(probe.c_str());
  return nullptr;
}

std::uint64_t PosixCacheFolder::FreeBytes(const std::wstring& folder) {
  std::error_code error;
  const auto space = std::filesystem::space(Narrow(folder), error);
  return error ? 0 : space.available;
}

bool PosixCacheFolder::Exists(const std::wstring& file) {
  struct stat info {};
  return stat(Narrow(file).c_str(), &info) == 0;
}

namespace {
bool BeginsAsArchive(const std::string& file) {
  std::uint32_t magic = 0;
  std::ifstream in(file, std::ios::binary);
  return in.read(reinterpret_cast<char*>(&magic), sizeof magic) && jvm::IsArchiveMagic(magic);
}
}  // namespace

bool PosixCacheFolder::Holds(const std::wstring& file) {
  if (BeginsAsArchive(Narrow(file))) return true;
  unlink(Narrow(file).c_str());
  return false;
}

bool PosixCacheFolder::FindsFolder(const std::wstring& pattern) {
  std::error_code error;
  if (pattern.size() > 2 && pattern.substr(pattern.size() - 2) == L"\\*") {
    for (const auto& entry :
         std::filesystem::directory_iterator(Narrow(pattern.substr(0, pattern.size() - 2)), error)) {
      if (entry.is_directory()) return true;
    }
    return false;
  }
  return std::filesystem::is_directory(Narrow(pattern), error);
}

void FinishCache(const jvm::StartupCacheFiles& cache) {
  if (cache.written.empty()) return;
  const std::string written = Narrow(cache.written), file = Narrow(cache.file);
  // link() refuses an existing name: the first to finish names the file.
  if (BeginsAsArchive(written)) link(written.c_str(), file.c_str());
  unlink(written.c_str());
  unlink((written + ".config").c_str());
}

std::string Narrow(const std::wstring& text) {
  // The rules compose Windows paths; here they become Linux ones (ASCII only).
  std::string narrow;
  for (wchar_t c : text) narrow += c == L'\\' ? '/' : c == L';' ? ':' : static_cast<char>(c);
  return narrow;
}
std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

}  // namespace nativestart
