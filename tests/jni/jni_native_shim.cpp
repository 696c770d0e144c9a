// How the shared JNI checks reach OpenJDK 17 on Linux.
#include <dlfcn.h>
#include <stdlib.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "tests/jni/jni_checks.h"

namespace jnichecks {
namespace {

using VfprintfHook = jint(JNICALL*)(FILE*, const char*, va_list);

jvm::CreateJavaVmFn realCreate = nullptr;
VfprintfHook launcherHook = nullptr;
int jniWarnings = 0;

// The VM's own messages: -Xcheck:jni warnings are counted, everything is
// passed on to the launcher's hook (or standard error without one).
jint JNICALL CountingVfprintf(FILE* stream, const char* format, va_list args) {
  va_list forwarded;
  va_copy(forwarded, args);
  char message[2048];
  int n = std::vsnprintf(message, sizeof message, format, args);
  if (std::strstr(message, "WARNING in native method") != nullptr) ++jniWarnings;
  if (launcherHook != nullptr) {
    n = launcherHook(stream, format, forwarded);
  } else {
    std::fputs(message, stream != nullptr ? stream : stderr);
  }
  va_end(forwarded);
  return n;
}

// JNI_CreateJavaVM with the launcher's option array passed through, its
// "vfprintf" hook (the VM keeps only the last one) wrapped by the counting one,
// which stands first as the launcher's does.
jint JNICALL CreateWithWarningCount(JavaVM** vm, void** env, void* args) {
  auto* initArgs = static_cast<JavaVMInitArgs*>(args);
  std::vector<JavaVMOption> options;
  for (jint i = 0; i < initArgs->nOptions; ++i) {
    const JavaVMOption& option = initArgs->options[i];
    if (option.optionString != nullptr && std::strcmp(option.optionString, "vfprintf") == 0) {
      launcherHook = reinterpret_cast<VfprintfHook>(option.extraInfo);
    } else {
      options.push_back(option);
    }
  }
  options.insert(options.begin(),
                 JavaVMOption{const_cast<char*>("vfprintf"), reinterpret_cast<void*>(&CountingVfprintf)});
  JavaVMInitArgs counted = *initArgs;
  counted.options = options.data();
  counted.nOptions = static_cast<jint>(options.size());
  return realCreate(vm, env, &counted);
}

}  // namespace

int JniWarningCount() { return jniWarnings; }

VmEntryPoints LoadVm() {
  VmEntryPoints entry;
  void* library = dlopen(VORN_LIBJVM_PATH, RTLD_NOW | RTLD_GLOBAL);  // never closed, as in the product
  if (library == nullptr) {
    const char* why = dlerror();
    entry.error = why != nullptr ? why : "dlopen failed";
    return entry;
  }
  entry.create = reinterpret_cast<jvm::CreateJavaVmFn>(dlsym(library, "JNI_CreateJavaVM"));
  entry.defaults = reinterpret_cast<jvm::GetDefaultJavaVmInitArgsFn>(dlsym(library, "JNI_GetDefaultJavaVMInitArgs"));
  if (entry.create == nullptr || entry.defaults == nullptr) {
    entry.create = nullptr;
    entry.error = "entry points missing in " VORN_LIBJVM_PATH;
  } else {
    realCreate = entry.create;
    entry.create = &CreateWithWarningCount;
  }
  return entry;
}

std::vector<std::string> PlatformOptions() {
  return {"-Djava.class.path=" VORN_TEST_JAR, "-Xrs",        "-XX:+UseSerialGC",     "-XX:-UsePerfData",
          "-XX:-CreateCoredumpOnCrash",       "-Xcheck:jni", "-Dfile.encoding=UTF-8"};
}

std::wstring NewScratchFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "vorn-jni-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) return L"/nonexistent-scratch";
  return std::filesystem::path(pattern).wstring();
}

std::uint32_t CreateParentFoldersFor(const std::wstring& path) {
  std::error_code error;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
  return static_cast<std::uint32_t>(error.value());
}

std::string ReadFileBytes(const std::wstring& path) {
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

int StopExitCode() { return 255; }  // System.exit(-1): the low 8 bits

std::wstring TestModulePath(Scenario scenario) {
  std::string path;
  if (scenario == Scenario::ModularApp) path = VORN_MODAPP_JAR;
#ifdef VORN_FX_MODULE_PATH
  if (scenario == Scenario::FxApp) path = VORN_FX_MODULE_PATH;
#endif
  return std::wstring(path.begin(), path.end());
}

}  // namespace jnichecks
