#include "tests/jni/jni_checks.h"
#include "tests/jvm/text.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sstream>
#include <thread>

#include "jvm/jni_helpers.h"
#include "jvm/module_options.h"
#include "jvm/secondary_main.h"
#include "jvm/service_stop.h"
#include "jvm/vm_output.h"
#include "report/message_ids.h"

namespace jnichecks {
namespace {

#ifdef _WIN32
constexpr wchar_t kSeparator[] = L"\\";
#else
constexpr wchar_t kSeparator[] = L"/";
#endif

std::string Utf8(std::u16string_view units) { return jvmdouble::Wtf8(units); }

std::string Utf8(std::wstring_view text) { return Utf8(jvm::ToUtf16(text)); }

std::string WithoutCarriageReturns(std::string text) {
  std::string out;
  for (char c : text) {
    if (c != '\r') out += c;
  }
  return out;
}

// Scratch folders of this process, removed when the scenario ends.
std::vector<std::wstring>& ScratchFolders() {
  static std::vector<std::wstring> folders;
  return folders;
}

std::wstring MakeScratchFolder() {
  std::wstring folder = NewScratchFolder();
  ScratchFolders().push_back(folder);
  return folder;
}

// Failures of one scenario, printed on standard error.
class Checks {
 public:
  void Expect(bool condition, const std::string& what) {
    if (!condition) Fail(what);
  }
  void Fail(const std::string& what) {
    std::fprintf(stderr, "CHECK FAILED: %s\n", what.c_str());
    std::fflush(stderr);
    ++failures_;
  }
  bool failed() const { return failures_ != 0; }
  [[noreturn]] void Finish() {
    if (JniWarningCount() != 0) Fail("the VM warned of JNI misuse " + std::to_string(JniWarningCount()) + " time(s)");
    for (const std::wstring& folder : ScratchFolders()) {
      std::error_code ignored;
      std::filesystem::remove_all(std::filesystem::path(folder), ignored);
    }
    if (failures_ == 0) std::fprintf(stderr, "%s\n", kPassed);
    std::fflush(stderr);
    std::fflush(stdout);
    std::_Exit(failures_ == 0 ? 0 : 1);
  }

 private:
  int failures_ = 0;
};

void JNICALL RecordingExitHook(jint code) {
  // Runs on a thread of the VM's own: no JNI here.
  std::fprintf(stderr, "%s%d\n", kExitHookPrefix, static_cast<int>(code));
  std::fflush(stderr);
}

void JNICALL RecordingAbortHook() {
  std::fprintf(stderr, "abort hook called\n");
  std::fflush(stderr);
}

JNIEnv* CreateVm(Checks& checks, const std::vector<std::string>& extra = {}) {
  VmEntryPoints entry = LoadVm();
  if (entry.create == nullptr) {
    checks.Fail("the VM library could not be loaded: " + entry.error);
    checks.Finish();
  }
  static std::vector<std::string> options;  // outlives the VM
  options = PlatformOptions();
  options.insert(options.end(), extra.begin(), extra.end());
  JavaVM* vm = nullptr;
  JNIEnv* env = nullptr;
  jint result = jvm::CreateJavaVmWith(entry.create, options, &RecordingAbortHook, &RecordingExitHook, &vm, &env);
  if (result != 0 || vm == nullptr || env == nullptr) {
    checks.Fail("JNI_CreateJavaVM returned " + std::to_string(result));
    checks.Finish();
  }
  return env;
}

void ExpectNothingPending(Checks& checks, JNIEnv* env, const std::string& after) {
  jthrowable pending = env->ExceptionOccurred();
  checks.Expect(pending == nullptr, "a Java exception is left pending after " + after);
  if (pending != nullptr) {
    env->ExceptionDescribe();
    env->DeleteLocalRef(pending);
  }
}

// The host side of the main invocation, recorded.
class RecordingHost : public jvm::MainInvocationHost {
 public:
  std::vector<std::string> events;
  std::wstring notFoundName;
  std::wstring traceText;
  bool answerStop = false;

  void ReportMainNotCalled(unsigned id, const std::wstring& name) override {
    if (id == IDS_LOAD_MAIN_CLASS_FAILED) {
      events.push_back("unusable " + Utf8(name));
    } else if (id == IDS_MAIN_CLASS_NOT_FOUND) {
      events.push_back("not-found");
      notFoundName = name;
    } else if (id == IDS_NO_MAIN_METHOD) {
      events.push_back("no-main-box");
    } else {
      events.push_back(id == IDS_NO_MAIN_CLASS ? "no-main-class-box" : "box " + std::to_string(id));
    }
  }
  void MainAboutToRun() override { events.push_back("about-to-run"); }
  void CloseSplash() override { events.push_back("close-splash"); }
  jvm::ExceptionAnswer ShowExceptionDialog(JNIEnv* env, jthrowable throwable) override {
    events.push_back("dialog");
    traceText = jvm::StackTraceText(env, throwable);
    return answerStop ? jvm::ExceptionAnswer::kStop : jvm::ExceptionAnswer::kGoOn;
  }
};

std::string Joined(const std::vector<std::string>& events) {
  std::string out = "[";
  for (const auto& e : events) out += (out.size() > 1 ? ", " : "") + e;
  return out + "]";
}

std::u16string ReadJavaString(JNIEnv* env, jstring s) {
  if (s == nullptr) return u"<null>";
  jsize length = env->GetStringLength(s);
  const jchar* chars = env->GetStringChars(s, nullptr);
  if (chars == nullptr) return u"<no chars>";
  std::u16string out(reinterpret_cast<const char16_t*>(chars), static_cast<size_t>(length));
  env->ReleaseStringChars(s, chars);
  return out;
}

[[noreturn]] void StringRoundTrip() {
  Checks checks;
  JNIEnv* env = CreateVm(checks);
  const struct {
    std::wstring text;
    std::u16string units;
  } cases[] = {
      {L"", u""},
      {L"plain ASCII", u"plain ASCII"},
      {L"Grüße ✓ ñ €", u"Grüße ✓ ñ €"},
      {L"𝄞 clef and 😀", u"𝄞 clef and 😀"},
  };
  for (const auto& c : cases) {
    jstring s = jvm::NewJavaString(env, c.text);
    checks.Expect(s != nullptr, "NewJavaString gave null for \"" + Utf8(c.text) + "\"");
    std::u16string back = ReadJavaString(env, s);
    checks.Expect(back == c.units, "NewJavaString changed \"" + Utf8(c.units) + "\" into \"" + Utf8(back) + "\"");
    if (s != nullptr) env->DeleteLocalRef(s);
  }

  jobjectArray empty = jvm::NewJavaStringArray(env, {});
  checks.Expect(empty != nullptr, "NewJavaStringArray of an empty list gave null instead of an empty array");
  if (empty != nullptr) checks.Expect(env->GetArrayLength(empty) == 0, "the empty list's array is not empty");

  const std::vector<std::wstring> list = {L"one", L"", L"Grüße 𝄞"};
  const std::u16string expected[] = {u"one", u"", u"Grüße 𝄞"};
  jobjectArray array = jvm::NewJavaStringArray(env, list);
  checks.Expect(array != nullptr, "NewJavaStringArray gave null for three texts");
  if (array != nullptr) {
    checks.Expect(env->GetArrayLength(array) == 3,
                  "the array has " + std::to_string(env->GetArrayLength(array)) + " elements, not 3");
    for (jsize i = 0; i < 3 && i < env->GetArrayLength(array); ++i) {
      auto element = static_cast<jstring>(env->GetObjectArrayElement(array, i));
      std::u16string back = ReadJavaString(env, element);
      checks.Expect(back == expected[i], "element " + std::to_string(i) + " is \"" + Utf8(back) + "\"");
    }
  }
  ExpectNothingPending(checks, env, "making strings");
  checks.Finish();
}

[[noreturn]] void OptionsReachVm() {
  Checks checks;
  JNIEnv* env = CreateVm(checks, {"-Dvorn.check=first value", "-Dvorn.second=2"});
  jclass system = env->FindClass("java/lang/System");
  jmethodID getProperty =
      system ? env->GetStaticMethodID(system, "getProperty", "(Ljava/lang/String;)Ljava/lang/String;") : nullptr;
  checks.Expect(getProperty != nullptr, "System.getProperty not found");
  if (getProperty != nullptr) {
    const std::pair<std::wstring, std::u16string> cases[] = {{L"vorn.check", u"first value"}, {L"vorn.second", u"2"}};
    for (const auto& [name, value] : cases) {
      jstring key = jvm::NewJavaString(env, name);
      auto result = static_cast<jstring>(env->CallStaticObjectMethod(system, getProperty, key));
      ExpectNothingPending(checks, env, "System.getProperty");
      std::u16string back = ReadJavaString(env, result);
      checks.Expect(back == value, "property " + Utf8(name) + " reached the VM as \"" + Utf8(back) + "\"");
    }
  }
  ExpectNothingPending(checks, env, "reading properties");
  checks.Finish();
}

// A heap size the VM refuses: creation fails, and the launcher's hook has
// passed the VM's own explanation on to standard error and kept it.
[[noreturn]] void VmWordsReachTheHook() {
  Checks checks;
  VmEntryPoints entry = LoadVm();
  if (entry.create == nullptr) {
    checks.Fail("the VM library could not be loaded: " + entry.error);
    checks.Finish();
  }
  static std::vector<std::string> options;  // outlives the VM
  options = PlatformOptions();
  options.push_back("-Xmx99z");
  JavaVM* vm = nullptr;
  JNIEnv* env = nullptr;
  const jint result = jvm::CreateJavaVmWith(entry.create, options, &RecordingAbortHook, &RecordingExitHook, &vm, &env);
  checks.Expect(result != 0, "-Xmx99z did not make JNI_CreateJavaVM fail");
  const std::string said = jvm::VmOutputTail();
  checks.Expect(said.find("Invalid maximum heap size") != std::string::npos, "the hook kept \"" + said + "\"");
  checks.Finish();
}

[[noreturn]] void RedirectAndEcho() {
  Checks checks;
  JNIEnv* env = CreateVm(checks);
  const std::wstring outFile =
      MakeScratchFolder() + kSeparator + L"new" + kSeparator + L"sub" + kSeparator + L"out.txt";
  checks.Expect(jvm::RedirectStandardStream(env, outFile, "setOut", CreateParentFoldersFor),
                "RedirectStandardStream(setOut) to a file in new folders failed");
  RecordingHost host;
  const std::vector<std::wstring> arguments = {L"first", L"", L"Grüße ✓ 𝄞", L"two words"};
  checks.Expect(jvm::CallMain(env, L"test/Echo", arguments, true, host), "CallMain of test/Echo returned false");
  checks.Expect(host.events == std::vector<std::string>{"about-to-run"},
                "host events for a clean main: " + Joined(host.events));
  const std::string written = WithoutCarriageReturns(ReadFileBytes(outFile));
  const std::string expected = Utf8(std::u16string(u"first\n\nGrüße ✓ 𝄞\ntwo words\n"));
  checks.Expect(written == expected, "the redirected output holds \"" + written + "\"");
  ExpectNothingPending(checks, env, "main of test/Echo");
  checks.Finish();
}

[[noreturn]] void RedirectErrorStream() {
  Checks checks;
  JNIEnv* env = CreateVm(checks);
  const std::wstring scratch = MakeScratchFolder();
  const std::wstring outFile = scratch + kSeparator + L"out" + kSeparator + L"o.txt";
  const std::wstring errFile = scratch + kSeparator + L"err" + kSeparator + L"e.txt";
  checks.Expect(jvm::RedirectStandardStream(env, outFile, "setOut", CreateParentFoldersFor), "setOut failed");
  checks.Expect(jvm::RedirectStandardStream(env, errFile, "setErr", CreateParentFoldersFor), "setErr failed");
  RecordingHost host;
  checks.Expect(jvm::CallMain(env, L"test/ErrWriter", {}, false, host), "CallMain of test/ErrWriter returned false");
  const std::string out = WithoutCarriageReturns(ReadFileBytes(outFile));
  const std::string err = WithoutCarriageReturns(ReadFileBytes(errFile));
  checks.Expect(out == "line to System.out\n", "the output file holds \"" + out + "\"");
  checks.Expect(err == "line to System.err\n", "the error file holds \"" + err + "\"");

  // A file that cannot be opened: the redirection fails, its exception is
  // described (not left pending), and the stream stays where it was.
  const std::wstring blocked = outFile + kSeparator + L"below-a-file.txt";
  checks.Expect(!jvm::RedirectStandardStream(env, blocked, "setOut", CreateParentFoldersFor),
                "RedirectStandardStream reported success for a path below a file");
  ExpectNothingPending(checks, env, "a failed redirection");
  // The description's trace goes through System.err, which is the error file now.
  const std::string described = ReadFileBytes(errFile);
  checks.Expect(described.find("FileNotFoundException") != std::string::npos,
                "the failed redirection was not described into the error file: " + described);
  checks.Finish();
}

[[noreturn]] void SharedOutputFile() {
  Checks checks;
  JNIEnv* env = CreateVm(checks);
  const std::wstring file = MakeScratchFolder() + kSeparator + L"log" + kSeparator + L"both.txt";
  checks.Expect(jvm::RedirectBothStandardStreams(env, file, CreateParentFoldersFor),
                "RedirectBothStandardStreams to a file in a new folder failed");
  RecordingHost host;
  checks.Expect(jvm::CallMain(env, L"test/ErrWriter", {}, false, host), "CallMain of test/ErrWriter returned false");
  const std::string both = WithoutCarriageReturns(ReadFileBytes(file));
  checks.Expect(both == "line to System.out\nline to System.err\n",
                "the shared file holds \"" + both + "\" (one stream must not overwrite the other)");
  ExpectNothingPending(checks, env, "the shared redirection");
  checks.Finish();
}

[[noreturn]] void ClassNotFound() {
  Checks checks;
  JNIEnv* env = CreateVm(checks);
  RecordingHost host;
  checks.Expect(!jvm::CallMain(env, L"test/Mißing", {L"x"}, true, host), "CallMain of a missing class returned true");
  checks.Expect(host.events == std::vector<std::string>{"not-found"},
                "host events for a missing class: " + Joined(host.events));
  checks.Expect(host.notFoundName == L"test/Mißing",
                "the missing class was reported as \"" + Utf8(host.notFoundName) + "\"");
  ExpectNothingPending(checks, env, "a missing class");
  checks.Finish();
}

[[noreturn]] void NoMainMethod() {
  Checks checks;
  JNIEnv* env = CreateVm(checks);
  RecordingHost host;
  checks.Expect(!jvm::CallMain(env, L"test/NoMain", {}, true, host), "CallMain of a class without main returned true");
  checks.Expect(host.events.empty(), "a class without main told the host " + Joined(host.events) +
                                         " (the pending NoSuchMethodError must be described, no box)");
  ExpectNothingPending(checks, env, "a class without main");
  checks.Finish();
}

void ExpectTrace(Checks& checks, const std::wstring& trace) {
  const std::string text = Utf8(trace);
  const std::string needles[] = {
      "java.lang.IllegalStateException",    Utf8(std::u16string(u"bad state: Grüße ✓ 𝄞")), "Caused by:",
      "java.lang.IllegalArgumentException", Utf8(std::u16string(u"root cause é")),         "test.Throws.main"};
  for (const auto& needle : needles) {
    checks.Expect(text.find(needle) != std::string::npos, "the stack trace text lacks \"" + needle + "\": " + text);
  }
}

[[noreturn]] void ThrowsIgnored() {
  Checks checks;
  JNIEnv* env = CreateVm(checks);
  {
    RecordingHost host;
    checks.Expect(jvm::CallMain(env, L"test/Throws", {}, false, host) == jvm::kMainThrew,
                  "without Failure Check a throwing main did not end as thrown (exit code 1)");
    checks.Expect(host.events == std::vector<std::string>{"about-to-run", "close-splash"},
                  "without Failure Check the host saw " + Joined(host.events));
    ExpectNothingPending(checks, env, "an exception with Failure Check off");
  }
  {
    RecordingHost host;
    checks.Expect(jvm::CallMain(env, L"test/Throws", {}, true, host) == jvm::kMainThrewUserWentOn,
                  "Ignore in the dialog did not end as the user's choice to go on (exit code 0)");
    checks.Expect(host.events == std::vector<std::string>{"about-to-run", "close-splash", "dialog"},
                  "with Failure Check the host saw " + Joined(host.events) + " (splash must close before the dialog)");
    ExpectTrace(checks, host.traceText);
    ExpectNothingPending(checks, env, "an ignored exception");
  }
  checks.Expect(jvm::StackTraceText(env, nullptr).empty(), "a null throwable gave a stack trace text");
  checks.Finish();
}

[[noreturn]] void ThrowsStopped() {
  Checks checks;
  JNIEnv* env = CreateVm(checks);
  RecordingHost host;
  host.answerStop = true;
  jvm::CallMain(env, L"test/Throws", {}, true, host);
  checks.Fail("CallMain returned although Stop was chosen (events " + Joined(host.events) + ")");
  checks.Finish();
}

[[noreturn]] void ExitCode() {
  Checks checks;
  JNIEnv* env = CreateVm(checks);
  RecordingHost host;
  jvm::CallMain(env, L"test/Exit", {}, false, host);
  checks.Fail("CallMain returned although test/Exit calls System.exit");
  checks.Finish();
}

// A modular application as the launcher starts one, with sun.java.command
// composed by the product's rule; a main module without a class runs the
// class its descriptor names.
[[noreturn]] void ModularApp() {
  Checks checks;
  const std::vector<std::wstring> arguments = {L"a", L"b c"};
  std::vector<std::string> options = {"--module-path=" + Utf8(TestModulePath(Scenario::ModularApp)),
                                      "--add-modules=vorn.modapp",
                                      Utf8(jvm::SunJavaCommandOption(L"", L"vorn.modapp", arguments))};
  JNIEnv* env = CreateVm(checks, options);
  const std::wstring outFile = MakeScratchFolder() + kSeparator + L"out.txt";
  checks.Expect(jvm::RedirectStandardStream(env, outFile, "setOut", CreateParentFoldersFor), "setOut failed");
  checks.Expect(jvm::DescriptorMainClass(env, L"java.base").empty(), "java.base was given a main class");
  checks.Expect(jvm::DescriptorMainClass(env, L"no.such.module").empty(), "a missing module was given a main class");
  const std::wstring mainClass = jvm::DescriptorMainClass(env, L"vorn.modapp");
  checks.Expect(mainClass == L"vorn/modapp/Main", "the descriptor's main class came out as \"" + Utf8(mainClass) + "\"");
  RecordingHost host;
  checks.Expect(jvm::CallMain(env, mainClass, arguments, false, host) == jvm::kMainReturned,
                "CallMain of the module's main class failed");
  checks.Expect(host.events == std::vector<std::string>{"about-to-run"}, "host events: " + Joined(host.events));
  const std::string printed = WithoutCarriageReturns(ReadFileBytes(outFile));
  checks.Expect(printed == "module vorn.modapp, arguments [a, b c], sun.java.command vorn.modapp a b c\n",
                "the modular application printed \"" + printed + "\"");
  ExpectNothingPending(checks, env, "the modular application");
  checks.Finish();
}

// A JavaFX application class without main: CallMain hands it to
// Application.launch, which returns once the application has ended.
[[noreturn]] void FxApp() {
  Checks checks;
  JNIEnv* env =
      CreateVm(checks, {"--module-path=" + Utf8(TestModulePath(Scenario::FxApp)), "--add-modules=vorn.fxapp"});
  const std::wstring outFile = MakeScratchFolder() + kSeparator + L"out.txt";
  checks.Expect(jvm::RedirectStandardStream(env, outFile, "setOut", CreateParentFoldersFor), "setOut failed");
  RecordingHost host;
  checks.Expect(jvm::CallMain(env, L"vorn/fxapp/Hello", {L"x", L"y z"}, false, host) == jvm::kMainReturned,
                "CallMain of a JavaFX application class did not run it");
  checks.Expect(host.events == std::vector<std::string>{"about-to-run"}, "host events: " + Joined(host.events));
  const std::string printed = WithoutCarriageReturns(ReadFileBytes(outFile));
  checks.Expect(printed == "fx start [x, y z] on JavaFX Application Thread\n",
                "the JavaFX application printed \"" + printed + "\"");
  ExpectNothingPending(checks, env, "the JavaFX application");
  checks.Finish();
}

// The answers of a hand-over, each with whether "secondaryMain" had already
// printed its line into `outFile` when the answer went out.
class RecordingAnswer : public jvm::HandOverHost {
 public:
  explicit RecordingAnswer(std::wstring outFile) : outFile_(std::move(outFile)) {}
  void Answer(jint code) override {
    answers.push_back(code);
    printedFirst.push_back(ReadFileBytes(outFile_).size() > printedBefore);
  }
  std::size_t printedBefore = 0;
  std::vector<jint> answers;
  std::vector<bool> printedFirst;

 private:
  std::wstring outFile_;
};

[[noreturn]] void HandOver() {
  Checks checks;
  JNIEnv* env = CreateVm(checks);
  JavaVM* vm = nullptr;
  env->GetJavaVM(&vm);
  const std::wstring outFile = MakeScratchFolder() + kSeparator + L"out.txt";
  checks.Expect(jvm::RedirectStandardStream(env, outFile, "setOut", CreateParentFoldersFor), "setOut failed");
  const struct {
    const char* mainClass;
    std::vector<std::wstring> arguments;
    bool stayAttached;
    std::optional<jint> answer;  // none: the method is not called and nothing is answered
    bool answeredAfterTheCall;
    std::u16string printed;
  } cases[] = {
      {"test/SecondaryVoid", {L"a", L"", L"Gr\u00fc\u00dfe \U0001D11E"}, false, 0, false,
       u"secondaryMain a  Gr\u00fc\u00dfe \U0001D11E\n"},
      {"test/SecondaryInt", {L"x", L"y"}, true, 102, true, u"secondaryMain x y\n"},
      {"test/Echo", {L"z"}, false, std::nullopt, false, u""},
      {"test/Missing", {L"z"}, false, std::nullopt, false, u""},
  };
  for (const auto& c : cases) {
    const std::string what = std::string("hand-over to ") + c.mainClass + ": ";
    RecordingAnswer answer(outFile);
    answer.printedBefore = ReadFileBytes(outFile).size();
    bool called = false, attachedAfter = false;
    std::thread([&] {
      called = jvm::CallSecondaryMain(vm, c.mainClass, c.arguments, c.stayAttached, answer);
      JNIEnv* probe = nullptr;
      attachedAfter = vm->GetEnv(reinterpret_cast<void**>(&probe), JNI_VERSION_1_2) == JNI_OK;
      if (attachedAfter) vm->DetachCurrentThread();
    }).join();
    checks.Expect(called == c.answer.has_value(), what + "the call was " + (called ? "" : "not ") + "made");
    checks.Expect(attachedAfter == c.stayAttached, what + "the thread is " + (attachedAfter ? "still" : "not") +
                                                       " attached afterwards");
    const std::vector<jint> expected = c.answer ? std::vector<jint>{*c.answer} : std::vector<jint>{};
    checks.Expect(answer.answers == expected, what + std::to_string(answer.answers.size()) + " answer(s)" +
                                                  (answer.answers.empty() ? "" : ", the first " +
                                                                                     std::to_string(answer.answers[0])));
    if (!answer.printedFirst.empty()) {
      checks.Expect(answer.printedFirst[0] == c.answeredAfterTheCall,
                    what + (c.answeredAfterTheCall ? "answered before the method returned"
                                                   : "answered after the method ran"));
    }
    const std::string printed = WithoutCarriageReturns(ReadFileBytes(outFile).substr(answer.printedBefore));
    checks.Expect(printed == Utf8(c.printed), what + "secondaryMain printed \"" + printed + "\"");
    ExpectNothingPending(checks, env, what);
  }
  checks.Finish();
}

// A service's stop: serviceStop on an attached thread, which detaches; then,
// for a class without one, System.exit(0), which ends the process.
[[noreturn]] void ServiceStop() {
  Checks checks;
  JNIEnv* env = CreateVm(checks);
  JavaVM* vm = nullptr;
  env->GetJavaVM(&vm);
  const std::wstring outFile = MakeScratchFolder() + kSeparator + L"out.txt";
  checks.Expect(jvm::RedirectStandardStream(env, outFile, "setOut", CreateParentFoldersFor), "setOut failed");
  jvm::StopRequest request = jvm::StopRequest::kNotAttached;
  bool attachedAfter = true;
  std::thread([&] {
    request = jvm::RequestApplicationStop(vm, "test/Service");
    JNIEnv* probe = nullptr;
    attachedAfter = vm->GetEnv(reinterpret_cast<void**>(&probe), JNI_VERSION_1_2) == JNI_OK;
  }).join();
  checks.Expect(request == jvm::StopRequest::kServiceStop, "serviceStop of test/Service was not called");
  checks.Expect(!attachedAfter, "the stopping thread is still attached");
  const std::string printed = WithoutCarriageReturns(ReadFileBytes(outFile));
  checks.Expect(printed == "serviceStop\n", "serviceStop printed \"" + printed + "\"");
  ExpectNothingPending(checks, env, "serviceStop");
  if (checks.failed()) checks.Finish();
  std::thread([&] {
    std::fprintf(stderr, "%s\n", kServiceStopPassed);
    std::fflush(stderr);
    jvm::RequestApplicationStop(vm, "test/Echo");
    checks.Fail("System.exit(0) returned");
    checks.Finish();
  }).join();
  checks.Finish();
}

}  // namespace

void RunScenario(Scenario scenario) {
  switch (scenario) {
    case Scenario::StringRoundTrip:
      StringRoundTrip();
    case Scenario::OptionsReachVm:
      OptionsReachVm();
    case Scenario::VmWordsReachTheHook:
      VmWordsReachTheHook();
    case Scenario::RedirectAndEcho:
      RedirectAndEcho();
    case Scenario::RedirectErrorStream:
      RedirectErrorStream();
    case Scenario::SharedOutputFile:
      SharedOutputFile();
    case Scenario::ClassNotFound:
      ClassNotFound();
    case Scenario::NoMainMethod:
      NoMainMethod();
    case Scenario::ThrowsIgnored:
      ThrowsIgnored();
    case Scenario::ThrowsStopped:
      ThrowsStopped();
    case Scenario::ExitCode:
      ExitCode();
    case Scenario::HandOver:
      HandOver();
    case Scenario::ServiceStop:
      ServiceStop();
    case Scenario::ModularApp:
      ModularApp();
    case Scenario::FxApp:
      FxApp();
  }
  Checks checks;
  checks.Fail("unknown scenario");
  checks.Finish();
}

std::vector<std::string> CheckOptionArray() {
  std::vector<std::string> failures;
  auto expect = [&](bool condition, const std::string& what) {
    if (!condition) failures.push_back(what);
  };
  const std::vector<std::string> options = {"-Djava.class.path=a.jar;", "-Xmx64m", ""};
  jvm::VmOptionArray array(options, &RecordingAbortHook, &RecordingExitHook);
  const auto& built = array.options();
  expect(built.size() == 6, "the array has " + std::to_string(built.size()) + " options, not 3 + the three hooks");
  for (size_t i = 0; i < options.size() && i + 1 < built.size(); ++i) {
    expect(built[i + 1].optionString != nullptr && options[i] == built[i + 1].optionString,
           "option " + std::to_string(i) + " is out of order or changed");
    expect(built[i + 1].extraInfo == nullptr, "option " + std::to_string(i) + " carries extra information");
  }
  if (built.size() == 6) {
    expect(std::string(built[0].optionString) == "vfprintf", "the first option is not \"vfprintf\"");
    expect(built[0].extraInfo == reinterpret_cast<void*>(&jvm::VmVfprintfHook),
           "\"vfprintf\" does not carry the launcher's hook");
    expect(std::string(built[4].optionString) == "abort", "the fifth option is not \"abort\"");
    expect(built[4].extraInfo == reinterpret_cast<void*>(&RecordingAbortHook),
           "\"abort\" does not carry the abort hook");
    expect(std::string(built[5].optionString) == "exit", "the last option is not \"exit\"");
    expect(built[5].extraInfo == reinterpret_cast<void*>(&RecordingExitHook), "\"exit\" does not carry the exit hook");
  }
  JavaVMInitArgs* args = array.initArgs();
  expect(args->version == JNI_VERSION_1_2, "the init args do not ask for JNI 1.2");
  expect(args->nOptions == static_cast<jint>(built.size()), "nOptions does not count the hooks");
  expect(args->options == built.data(), "the init args do not point at the option array");
  expect(args->ignoreUnrecognized == JNI_FALSE, "unrecognised options would be ignored");
  return failures;
}

}  // namespace jnichecks
