// The invocation interface of the double: the exported entry points and the
// JavaVM function table, behaving as OpenJDK 17 does where the launcher
// relies on it.
#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "double_record.h"
#include "jvm/java_calls.h"
#include "text.h"
#include "world.h"

namespace jvmdouble {

namespace {

// The JDK 1.1 initialisation record is the launcher's own (jvm/java_calls.h).
using JDK1_1InitArgs = jvm::Jdk11InitArgs;

// The Java stack size the double reports as its default (HotSpot on Windows
// answers 0, "the system default"; the knob lets tests choose).
constexpr jint kDefaultJavaStackSize = 1048576;

bool IsSupportedVersion(jint version) {
  return version == JNI_VERSION_1_2 || version == JNI_VERSION_1_4 || version == JNI_VERSION_1_6 ||
         version == JNI_VERSION_1_8 || version == JNI_VERSION_9 || version == JNI_VERSION_10;
}

std::string Hex8(jint value) {
  char text[16];
  snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(value));
  return text;
}

std::optional<long long> EnvironmentInteger(const wchar_t* name) {
  wchar_t value[64];
  DWORD length = GetEnvironmentVariableW(name, value, 64);
  if (length == 0 || length >= 64) return std::nullopt;
  wchar_t* end = nullptr;
  long long number = wcstoll(value, &end, 0);
  if (end == value || *end != 0) return std::nullopt;
  return number;
}

void RecordEnvironment(const wchar_t* name) {
  std::wstring value(32768, L'\0');
  SetLastError(0);
  DWORD length = GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size()));
  std::string line = "env " + EscapeWide(U16(name));
  if (length == 0 && GetLastError() == ERROR_ENVVAR_NOT_FOUND) {
    Record(line);
    return;
  }
  value.resize(length < value.size() ? length : 0);
  Record(line + "=" + EscapeWide(U16(value)));
}

unsigned long long CurrentStackReservation() {
  using Limits = void(WINAPI*)(PULONG_PTR, PULONG_PTR);
  auto limits = reinterpret_cast<Limits>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetCurrentThreadStackLimits")));
  ULONG_PTR low = 0, high = 0;
  if (limits) limits(&low, &high);
  return high - low;
}

bool IsSize(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && isdigit(static_cast<unsigned char>(text[i]))) ++i;
  if (i == 0) return false;
  if (i == text.size()) return true;
  return i + 1 == text.size() && std::string("kKmMgGtT").find(text[i]) != std::string::npos;
}

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

struct OptionVerdict {
  jint result = JNI_OK;
  std::string message;
};

// What HotSpot makes of one option string.
OptionVerdict CheckOption(const std::string& option, bool ignoreUnrecognized) {
  static const char* const sized[][2] = {{"-Xmx", "Invalid maximum heap size: "},
                                         {"-Xms", "Invalid initial heap size: "},
                                         {"-Xmn", "Invalid new generation size: "},
                                         {"-Xss", "Invalid thread stack size: "}};
  for (const auto& size : sized) {
    if (StartsWith(option, size[0])) {
      if (IsSize(option.substr(4))) return {};
      return {JNI_EINVAL, size[1] + option};
    }
  }
  static const char* const exact[] = {"exit", "abort", "vfprintf", "-Xrs", "-Xint", "-Xmixed", "-Xcomp", "-Xbatch",
                                      "-Xcheck:jni", "-Xnoclassgc", "-Xverify", "-Xdebug", "-Xnoagent", "-verbose",
                                      "-ea", "-da", "-esa", "-dsa", "-enableassertions", "-disableassertions",
                                      "-enablesystemassertions", "-disablesystemassertions", "-Xdiag",
                                      "--enable-preview", "-Xinternalversion"};
  for (const char* name : exact) {
    if (option == name) return {};
  }
  static const char* const prefixes[] = {"-D", "-XX:", "-Xverify:", "-Xshare:", "-Xlog", "-Xrun", "-Xloggc:",
                                         "-Xbootclasspath/a:", "-Xmaxf", "-Xminf", "-verbose:", "-ea:", "-da:",
                                         "-enableassertions:", "-disableassertions:", "-javaagent:", "-agentlib:",
                                         "-agentpath:", "--add-reads=", "--add-exports=", "--add-opens=",
                                         "--add-modules=", "--limit-modules=", "--module-path=", "--patch-module=",
                                         "--upgrade-module-path=", "--illegal-access=", "--enable-native-access="};
  for (const char* prefix : prefixes) {
    if (StartsWith(option, prefix)) {
      if (std::string(prefix) == "-XX:" && option.size() == 4) break;
      return {};
    }
  }
  if (ignoreUnrecognized && !StartsWith(option, "-XX:")) return {};
  if (StartsWith(option, "-XX:")) return {JNI_EINVAL, "Unrecognized VM option '" + option.substr(4) + "'"};
  return {JNI_ERR, "Unrecognized option: " + option};
}

using VfprintfHook = jint(JNICALL*)(FILE*, const char*, va_list);

jint CallVfprintf(VfprintfHook hook, FILE* stream, const char* format, ...) {
  va_list args;
  va_start(args, format);
  const jint result = hook(stream, format, args);
  va_end(args);
  return result;
}

// HotSpot's logging: "-Xlog:...:file=<path>" to a file of its own C runtime,
// any other -Xlog and -verbose:gc to its standard output; each line through
// the hook with that FILE, as HotSpot sends it.
void PrintVmLogging(VfprintfHook hook, const std::string& option) {
  if (!StartsWith(option, "-Xlog") && option != "-verbose:gc") return;
  const size_t file = option.find(":file=");
  FILE* stream = file == std::string::npos ? stdout : std::fopen(option.c_str() + file + 6, "w");
  if (stream == nullptr) return;
  const char* line = file == std::string::npos ? "[0.001s][info][gc] Using the double's collector (stdout)\n"
                                               : "[0.001s][info][gc] Using the double's collector (file)\n";
  if (hook != nullptr) {
    CallVfprintf(hook, stream, "%s", line);
  } else {
    std::fputs(line, stream);
  }
  std::fflush(stream);
  if (stream != stdout) std::fclose(stream);
}

// What the VM prints on its own standard error goes through the "vfprintf"
// hook when the launcher gave one, as with HotSpot.
void PrintVmText(VfprintfHook hook, const std::string& text) {
  if (hook != nullptr) {
    CallVfprintf(hook, stderr, "%s", text.c_str());
  } else {
    WriteNativeStderr(text);
  }
}

// HotSpot's size of "-Xms64m", in bytes; none for a size it would refuse.
std::optional<unsigned long long> SizeOf(const std::string& text) {
  if (!IsSize(text)) return std::nullopt;
  unsigned long long size = std::strtoull(text.c_str(), nullptr, 10);
  switch (text.back()) {
    case 'k': case 'K': return size << 10;
    case 'm': case 'M': return size << 20;
    case 'g': case 'G': return size << 30;
    case 't': case 'T': return size << 40;
    default: return size;
  }
}

// A module HotSpot's boot layer finds on the module path: an entry named like
// it (app.core.jar, app.core) or a folder that holds one; the runtime's own
// modules are always there.
// Its file: empty for one of the runtime's own; none when it is not there.
std::optional<std::string> ModuleFile(const std::string& name, const std::vector<std::string>& modulePath) {
  for (const char* own : {"java.", "jdk.", "javafx.", "ALL-"}) {
    if (StartsWith(name, own)) return std::string();
  }
  for (const std::string& entry : modulePath) {
    const std::string last = entry.substr(entry.find_last_of("\\/") + 1);
    if (last == name || last == name + ".jar") return entry;
    for (const std::string& inside : {entry + "\\" + name + ".jar", entry + "\\" + name}) {
      if (GetFileAttributesA(inside.c_str()) != INVALID_FILE_ATTRIBUTES) return inside;
    }
  }
  return std::nullopt;
}

// The double's module descriptor: a module file that begins "main-class=X"
// names X as its main class.
std::string DescriptorMainClassOf(const std::string& file) {
  std::string start(256, '\0');
  HANDLE handle = CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return {};
  DWORD read = 0;
  if (!ReadFile(handle, start.data(), static_cast<DWORD>(start.size()), &read, nullptr)) read = 0;
  CloseHandle(handle);
  start.resize(read);
  if (!StartsWith(start, "main-class=")) return {};
  return start.substr(11, start.find_first_of("\r\n") - 11);
}

struct StartupFailure {
  std::string reason;
  bool bootLayer = false;  // said by Java's System.out, not through the hook
};

// What HotSpot refuses to start with once the options were read, in its
// order: the heap, the collector, the agents, then the boot layer's modules.
std::optional<StartupFailure> StartupFailureOf(const JavaVMInitArgs& args,
                                              std::map<std::string, std::string>& bootModules) {
  std::optional<unsigned long long> initial, maximum;
  int collectors = 0;
  std::vector<std::string> agents, modules, modulePath;
  for (jint i = 0; i < args.nOptions; ++i) {
    const std::string text = args.options[i].optionString;
    if (StartsWith(text, "-Xms")) initial = SizeOf(text.substr(4));
    if (StartsWith(text, "-Xmx")) maximum = SizeOf(text.substr(4));
    for (const char* collector : {"-XX:+UseSerialGC", "-XX:+UseParallelGC", "-XX:+UseG1GC", "-XX:+UseZGC",
                                  "-XX:+UseShenandoahGC", "-XX:+UseEpsilonGC"}) {
      if (text == collector) ++collectors;
    }
    if (StartsWith(text, "-agentlib:")) agents.push_back(text.substr(10, text.find('=') - 10));
    for (const char* prefix : {"-Djdk.module.main=", "--add-modules="}) {
      if (!StartsWith(text, prefix)) continue;
      std::stringstream names(text.substr(std::string(prefix).size()));
      for (std::string name; std::getline(names, name, ',');) modules.push_back(name);
    }
    if (StartsWith(text, "--module-path=")) {
      std::stringstream entries(text.substr(14));
      for (std::string entry; std::getline(entries, entry, ';');) modulePath.push_back(entry);
    }
  }
  if (initial && maximum && *initial > *maximum) {
    return StartupFailure{"Initial heap size set to a larger value than the maximum heap size"};
  }
  if (collectors > 1) return StartupFailure{"Multiple garbage collectors selected"};
  for (const std::string& agent : agents) {
    return StartupFailure{"Could not find agent library " + agent + " on the library path, with error: Can't find dependent libraries"};
  }
  for (const std::string& module : modules) {
    const std::optional<std::string> file = ModuleFile(module, modulePath);
    if (!file) return StartupFailure{"java.lang.module.FindException: Module " + module + " not found", true};
    bootModules[module] = file->empty() ? std::string() : DescriptorMainClassOf(*file);
  }
  return std::nullopt;
}

// ---- the JavaVM function table ----

jint JNICALL DestroyJavaVM(JavaVM* vm) {
  Record("destroy");
  if (GetVmState() != VmState::Created) {
    Record("destroy-done -1");
    return JNI_ERR;
  }
  try {
    ThreadState* thread = CurrentThread();
    if (!thread) thread = &AttachThread("DestroyJavaVM", false);
    WaitForNonDaemonThreads(*thread);
    DetachThread(*thread);
    WriteArchiveAtExit();
  } catch (...) {
    Record("misuse internal error of the double in DestroyJavaVM");
  }
  SetVmState(VmState::Destroyed);
  Record("destroy-done 0");
  return JNI_OK;
}

jint AttachCommon(void** penv, void* args, bool daemon) {
  if (GetVmState() != VmState::Created) {
    Record("misuse AttachCurrentThread while no VM exists");
    return JNI_ERR;
  }
  if (!penv) {
    Record("misuse AttachCurrentThread with a null JNIEnv pointer");
    return JNI_ERR;
  }
  if (ThreadState* thread = CurrentThread()) {
    *penv = &thread->env;
    return JNI_OK;
  }
  auto* attachArgs = static_cast<JavaVMAttachArgs*>(args);
  if (attachArgs && !IsSupportedVersion(attachArgs->version)) return JNI_EVERSION;
  try {
    ThreadState& thread = AttachThread(attachArgs ? attachArgs->name : nullptr, daemon);
    Record("attach " + EscapeNarrow(thread.name) + " daemon=" + (daemon ? "1" : "0"));
    *penv = &thread.env;
    return JNI_OK;
  } catch (...) {
    return JNI_ENOMEM;
  }
}

jint JNICALL AttachCurrentThread(JavaVM*, void** penv, void* args) { return AttachCommon(penv, args, false); }
jint JNICALL AttachCurrentThreadAsDaemon(JavaVM*, void** penv, void* args) { return AttachCommon(penv, args, true); }

jint JNICALL DetachCurrentThread(JavaVM*) {
  ThreadState* thread = CurrentThread();
  if (!thread) return JNI_OK;  // as HotSpot: detaching a detached thread does nothing
  try {
    Record("detach " + EscapeNarrow(thread->name));
  } catch (...) {
  }
  DetachThread(*thread);
  return JNI_OK;
}

jint JNICALL GetEnv(JavaVM*, void** penv, jint version) {
  if (!penv) return JNI_ERR;
  *penv = nullptr;
  if (GetVmState() != VmState::Created) return JNI_EDETACHED;
  if (version != JNI_VERSION_1_1 && !IsSupportedVersion(version)) return JNI_EVERSION;
  ThreadState* thread = CurrentThread();
  if (!thread) return JNI_EDETACHED;
  *penv = &thread->env;
  return JNI_OK;
}

const JNIInvokeInterface_ invokeInterface = {nullptr,           nullptr, nullptr, &DestroyJavaVM, &AttachCurrentThread,
                                             &DetachCurrentThread, &GetEnv, &AttachCurrentThreadAsDaemon};
JavaVM javaVm{&invokeInterface};

}  // namespace

JavaVM* TheJavaVm() { return &javaVm; }

namespace {

jint CreateVm(JavaVM** pvm, void** penv, void* rawArgs) {
  static std::mutex createMutex;
  std::lock_guard lock(createMutex);
  auto* args = static_cast<JavaVMInitArgs*>(rawArgs);
  if (!pvm || !penv || !args) {
    Record("misuse JNI_CreateJavaVM with a null pointer");
    Record("create-result -6");
    return JNI_EINVAL;
  }
  Record("create version=" + Hex8(args->version) + " ignoreUnrecognized=" + (args->ignoreUnrecognized ? "1" : "0") +
         " nOptions=" + std::to_string(args->nOptions));
  bool exitHook = false, abortHook = false, vfprintfHook = false;
  VfprintfHook vfprintf = nullptr;
  std::optional<jint> requested;
  std::string classPath;
  bool nullOption = false;
  for (jint i = 0; i < args->nOptions && args->options; ++i) {
    const JavaVMOption& option = args->options[i];
    if (!option.optionString) {
      Record("option[" + std::to_string(i) + "]=(null)");
      nullOption = true;
      continue;
    }
    std::string text = option.optionString;
    Record("option[" + std::to_string(i) + "]=" + EscapeNarrow(text));
    if (option.extraInfo) Record("optionextra[" + std::to_string(i) + "]");
    if (text == "exit") exitHook = option.extraInfo != nullptr;
    if (text == "abort") abortHook = option.extraInfo != nullptr;
    if (text == "vfprintf") {
      vfprintfHook = option.extraInfo != nullptr;
      vfprintf = reinterpret_cast<VfprintfHook>(option.extraInfo);
    }
    if (StartsWith(text, "-Djava.class.path=")) classPath = text.substr(18);
    if (StartsWith(text, "-Dvorn.double.create=")) requested = std::atoi(text.c_str() + 21);
  }
  Record(std::string("hook exit=") + (exitHook ? "1" : "0") + " abort=" + (abortHook ? "1" : "0") +
         " vfprintf=" + (vfprintfHook ? "1" : "0"));
  RecordEnvironment(L"VORN_JVM_PATH");
  RecordEnvironment(L"VORN_JVM_HOME");
  RecordEnvironment(L"Path");
  std::wstring cwd(32768, L'\0');
  cwd.resize(GetCurrentDirectoryW(static_cast<DWORD>(cwd.size()), cwd.data()));
  Record("cwd=" + EscapeWide(U16(cwd)));
  Record("classpath=" + EscapeNarrow(classPath));
  Record("threadstack " + std::to_string(CurrentStackReservation()));
  WaitForEventNamedBy(L"VORN_DOUBLE_CREATE_GATE", true);

  auto finish = [](jint result) {
    Record("create-result " + std::to_string(result));
    return result;
  };
  // The double's own knobs: words of the VM's (in the ANSI code page), and a
  // failure with a chosen code.
  std::wstring says(32767, L'\0');
  says.resize(GetEnvironmentVariableW(L"VORN_DOUBLE_VM_SAYS", says.data(), static_cast<DWORD>(says.size())));
  if (!says.empty()) {
    std::string bytes(says.size() * 2 + 1, '\0');
    bytes.resize(static_cast<size_t>(WideCharToMultiByte(CP_ACP, 0, says.data(), static_cast<int>(says.size()),
                                                         bytes.data(), static_cast<int>(bytes.size()), nullptr,
                                                         nullptr)));
    PrintVmText(vfprintf, bytes + "\r\n");
  }
  // As HotSpot when the boot layer cannot be made: the abort hook, then the
  // end. Asked for among the options, or in JAVA_TOOL_OPTIONS, which HotSpot reads too.
  char toolOptions[4096] = "";
  const DWORD toolLength = GetEnvironmentVariableA("JAVA_TOOL_OPTIONS", toolOptions, sizeof toolOptions);
  bool abort = toolLength < sizeof toolOptions && std::strstr(toolOptions, "-Dvorn.double.abort") != nullptr;
  for (jint i = 0; i < args->nOptions && args->options; ++i) {
    const char* text = args->options[i].optionString;
    abort = abort || (text != nullptr && std::string(text) == "-Dvorn.double.abort");
  }
  if (abort) {
    for (jint j = 0; j < args->nOptions; ++j) {
      const char* text = args->options[j].optionString;
      if (text != nullptr && std::string(text) == "abort" && args->options[j].extraInfo != nullptr) {
        Record("abort-hook");
        reinterpret_cast<void(JNICALL*)()>(args->options[j].extraInfo)();
      }
    }
    Record("abort-exit 1");
    ExitProcess(1);
  }
  if (auto code = EnvironmentInteger(L"VORN_DOUBLE_CREATE_RESULT")) requested = static_cast<jint>(*code);
  if (requested && *requested != JNI_OK) return finish(*requested);

  VmState state = GetVmState();
  if (state == VmState::Created) return finish(JNI_EEXIST);
  if (state == VmState::Destroyed) return finish(JNI_ERR);
  if (!IsSupportedVersion(args->version)) return finish(JNI_EVERSION);
  if (nullOption || (args->nOptions > 0 && !args->options) || args->nOptions < 0) return finish(JNI_EINVAL);
  // Options are read in order: a bad one is reported through a hook only
  // when the hook's option came before it, as with HotSpot.
  VfprintfHook heard = nullptr;
  for (jint i = 0; i < args->nOptions; ++i) {
    if (std::string(args->options[i].optionString) == "vfprintf") {
      heard = reinterpret_cast<VfprintfHook>(args->options[i].extraInfo);
    }
    OptionVerdict verdict = CheckOption(args->options[i].optionString, args->ignoreUnrecognized);
    if (verdict.result != JNI_OK) {
      PrintVmText(heard, verdict.message + "\r\n");
      return finish(verdict.result);
    }
  }

  for (jint i = 0; i < args->nOptions; ++i) PrintVmLogging(vfprintf, args->options[i].optionString);

  // As HotSpot: what it cannot start with, said on its standard output (the
  // hook's, or for the boot layer Java's own System.out on the process's
  // handle), then the abort hook and the end.
  std::map<std::string, std::string> bootModules;
  if (std::optional<StartupFailure> failure = StartupFailureOf(*args, bootModules)) {
    Record("startup-failure " + failure->reason);
    if (failure->bootLayer) {
      HandleSink(STD_OUTPUT_HANDLE).Write("Error occurred during initialization of boot layer\r\n" + failure->reason + "\r\n");
    } else if (vfprintf != nullptr) {
      CallVfprintf(vfprintf, stdout, "Error occurred during initialization of VM\n");
      CallVfprintf(vfprintf, stdout, "%s", failure->reason.c_str());
      CallVfprintf(vfprintf, stdout, "\n");
    } else {
      std::fputs(("Error occurred during initialization of VM\n" + failure->reason + "\n").c_str(), stdout);
    }
    for (jint i = 0; i < args->nOptions; ++i) {
      if (std::string(args->options[i].optionString) == "abort" && args->options[i].extraInfo != nullptr) {
        Record("abort-hook");
        reinterpret_cast<void(JNICALL*)()>(args->options[i].extraInfo)();
      }
    }
    Record("abort-exit 1");
    ExitProcess(1);
  }

  static std::once_flag classesDefined;
  std::call_once(classesDefined, DefineClasses);
  Config() = {};
  for (jint i = 0; i < args->nOptions; ++i) {
    std::string text = args->options[i].optionString;
    if (text == "exit") Config().exitHook = reinterpret_cast<void(JNICALL*)(jint)>(args->options[i].extraInfo);
    if (text == "abort") Config().abortHook = reinterpret_cast<void(JNICALL*)()>(args->options[i].extraInfo);
    if (text == "vfprintf") Config().vfprintfHook = reinterpret_cast<VfprintfHook>(args->options[i].extraInfo);
  }
  Config().classPath = classPath;
  Config().bootModules = std::move(bootModules);
  std::vector<std::string> texts;
  for (jint i = 0; i < args->nOptions; ++i) texts.emplace_back(args->options[i].optionString);
  // As HotSpot when it refuses the sharing options: it says why and aborts.
  if (const std::string refusal = ConfigureSharing(texts); !refusal.empty()) {
    PrintVmText(vfprintf, refusal);
    if (Config().abortHook) {
      Record("abort-hook");
      Config().abortHook();
    }
    Record("abort-exit 1");
    ExitProcess(1);
  }

  // System.out and System.err: print streams over the process's standard handles.
  for (DWORD standard : {STD_OUTPUT_HANDLE, STD_ERROR_HANDLE}) {
    ObjPtr file = NewObjectOf(ClassOf("java/io/FileOutputStream"));
    file->sink = std::make_shared<HandleSink>(standard);
    ObjPtr print = NewObjectOf(ClassOf("java/io/PrintStream"));
    print->target = file;
    (standard == STD_OUTPUT_HANDLE ? SetSystemOut : SetSystemErr)(print);
  }
  SetVmState(VmState::Created);
  ThreadState& thread = AttachThread("main", false);
  Record("attach main daemon=0");
  *pvm = &javaVm;
  *penv = &thread.env;
  return finish(JNI_OK);
}

// The double's start-up knob: when VORN_DOUBLE_STARTED_EVENT names an event,
// JNI_CreateJavaVM sets it before anything else, so a benchmark can time a
// launcher's start up to the creation of its virtual machine.
void SignalStartedEvent() {
  wchar_t name[MAX_PATH];
  DWORD length = GetEnvironmentVariableW(L"VORN_DOUBLE_STARTED_EVENT", name, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return;
  std::unique_ptr<void, decltype(&CloseHandle)> event(OpenEventW(EVENT_MODIFY_STATE, FALSE, name), &CloseHandle);
  if (event) SetEvent(event.get());
}

}  // namespace

void WaitForEventNamedBy(const wchar_t* variable, bool createWhenMissing) {
  wchar_t name[MAX_PATH];
  DWORD length = GetEnvironmentVariableW(variable, name, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return;
  std::unique_ptr<void, decltype(&CloseHandle)> event(
      createWhenMissing ? CreateEventW(nullptr, TRUE, FALSE, name) : OpenEventW(SYNCHRONIZE, FALSE, name),
      &CloseHandle);
  // A test that forgets to set it must not leave the process hanging.
  if (event) WaitForSingleObject(event.get(), 120000);
}

}  // namespace jvmdouble

using namespace jvmdouble;

extern "C" {

JNIEXPORT jint JNICALL JNI_GetDefaultJavaVMInitArgs(void* rawArgs) {
  // As HotSpot: 1.1 is no longer supported (JNI_ERR), but the 1.1 record is
  // still how a launcher learns the default Java stack size.
  auto* args = static_cast<JDK1_1InitArgs*>(rawArgs);
  if (!args) return JNI_ERR;
  jint asked = args->version;
  jint result = IsSupportedVersion(asked) ? JNI_OK : JNI_ERR;
  if (asked == JNI_VERSION_1_1) {
    args->version = JNI_VERSION_1_2;
    args->javaStackSize =
        static_cast<jint>(EnvironmentInteger(L"VORN_DOUBLE_DEFAULT_STACK").value_or(kDefaultJavaStackSize));
  }
  try {
    Record("defaultargs version=" + Hex8(asked) + " result=" + std::to_string(result));
  } catch (...) {
  }
  return result;
}

JNIEXPORT jint JNICALL JNI_CreateJavaVM(JavaVM** pvm, void** penv, void* args) {
  SignalStartedEvent();
  try {
    return CreateVm(pvm, penv, args);
  } catch (...) {
    Record("misuse internal error of the double in JNI_CreateJavaVM");
    return JNI_ERR;
  }
}

JNIEXPORT jint JNICALL JNI_GetCreatedJavaVMs(JavaVM** vms, jsize length, jsize* count) {
  bool created = GetVmState() == VmState::Created;
  if (count) *count = created ? 1 : 0;
  if (created && vms && length > 0) vms[0] = TheJavaVm();
  return JNI_OK;
}

}  // extern "C"
