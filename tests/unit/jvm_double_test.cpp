// The test-double jvm.dll itself: it must behave like OpenJDK 17 where the
// launcher relies on it, and record what it was asked. One virtual machine
// per process, as with the real one: every VM scenario runs in a death-test
// child; the parent then reads the record the child left.
#include <gtest/gtest.h>

#include <windows.h>

#include <jni.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/support/double_app.h"
#include "tests/support/double_record.h"
#include "tests/support/test_files.h"

namespace {

using CreateFn = jint(JNICALL*)(JavaVM**, void**, void*);
using DefaultsFn = jint(JNICALL*)(void*);

HMODULE Double() {
  static HMODULE library = LoadLibraryW(testsupport::BinFile(L"double\\jvm.dll").c_str());
  return library;
}

std::wstring TempPath(const std::wstring& name) {
  wchar_t temp[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH, temp);
  return std::wstring(temp) + L"vorn-jvmdouble-" + name;
}

bool InDeathTestChild() { return !GTEST_FLAG_GET(internal_run_death_test).empty(); }

// The parent picks the record file and hands it to the child through the
// environment (the child inherits it).
std::wstring ScenarioRecord(const std::wstring& name) {
  if (!InDeathTestChild()) {
    std::wstring path = TempPath(name + L"-" + std::to_wstring(GetCurrentProcessId()) + L".txt");
    DeleteFileW(path.c_str());
    SetEnvironmentVariableW(L"VORN_DOUBLE_RECORD", path.c_str());
    SetEnvironmentVariableW(L"VORN_DOUBLE_CREATE_RESULT", nullptr);
  }
  wchar_t value[MAX_PATH * 2] = {};
  GetEnvironmentVariableW(L"VORN_DOUBLE_RECORD", value, MAX_PATH * 2);
  return value;
}

using testsupport::ReadBytes;

std::string Utf8(const std::wstring& text) {
  int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(n, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

// A child's checks: failures collected, printed on stderr, exit code 1.
struct Checks {
  std::string failures;
  void Expect(bool ok, const std::string& what) {
    if (!ok) failures += "FAILED: " + what + "\n";
  }
  [[noreturn]] void Finish() {
    fprintf(stderr, "%s", failures.c_str());
    fflush(stderr);
    ExitProcess(failures.empty() ? 0 : 1);
  }
};

void JNICALL ExitHook(jint code);
void JNICALL AbortHook() {}
DWORD callingThread = 0;

void JNICALL ExitHook(jint code) {
  fprintf(stderr, "exit hook got %d on %s thread\n", static_cast<int>(code),
          GetCurrentThreadId() == callingThread ? "the calling" : "another");
  fflush(stderr);
}

// A VM of the double with the given options plus the two hook options.
JNIEnv* CreateVm(Checks& checks, std::vector<std::string> options = {"-Djava.class.path=C:\\app\\x.jar"}) {
  auto create = reinterpret_cast<CreateFn>(GetProcAddress(Double(), "JNI_CreateJavaVM"));
  if (!create) {
    checks.Expect(false, "the double exports JNI_CreateJavaVM");
    checks.Finish();
  }
  std::vector<JavaVMOption> array;
  for (std::string& option : options) array.push_back({option.data(), nullptr});
  array.push_back({const_cast<char*>("abort"), reinterpret_cast<void*>(&AbortHook)});
  array.push_back({const_cast<char*>("exit"), reinterpret_cast<void*>(&ExitHook)});
  JavaVMInitArgs args{JNI_VERSION_1_2, static_cast<jint>(array.size()), array.data(), JNI_FALSE};
  JavaVM* vm = nullptr;
  JNIEnv* env = nullptr;
  jint result = create(&vm, reinterpret_cast<void**>(&env), &args);
  if (result != JNI_OK || !env) {
    checks.Expect(false, "JNI_CreateJavaVM returned " + std::to_string(result));
    checks.Finish();
  }
  JavaVM* second = nullptr;
  JNIEnv* secondEnv = nullptr;
  checks.Expect(create(&second, reinterpret_cast<void**>(&secondEnv), &args) == JNI_EEXIST,
                "a second JNI_CreateJavaVM returns JNI_EEXIST");
  return env;
}

// The launcher's way of making a Java string: String(char[]).
jstring NewJavaString(JNIEnv* env, const std::wstring& text) {
  jclass string = env->FindClass("java/lang/String");
  jmethodID init = env->GetMethodID(string, "<init>", "([C)V");
  jcharArray chars = env->NewCharArray(static_cast<jsize>(text.size()));
  env->SetCharArrayRegion(chars, 0, static_cast<jsize>(text.size()), reinterpret_cast<const jchar*>(text.data()));
  jstring result = static_cast<jstring>(env->NewObject(string, init, chars));
  env->DeleteLocalRef(chars);
  return result;
}

std::wstring JavaText(JNIEnv* env, jstring str) {
  const jchar* chars = env->GetStringChars(str, nullptr);
  std::wstring text(reinterpret_cast<const wchar_t*>(chars), env->GetStringLength(str));
  env->ReleaseStringChars(str, chars);
  return text;
}

bool PendingIs(JNIEnv* env, const char* className) {
  jthrowable pending = env->ExceptionOccurred();
  if (!pending) return false;
  env->ExceptionClear();
  return env->IsInstanceOf(pending, env->FindClass(className));
}

jobject NewPrintStreamOver(JNIEnv* env, jobject stream) {
  jclass printStream = env->FindClass("java/io/PrintStream");
  return env->NewObject(printStream, env->GetMethodID(printStream, "<init>", "(Ljava/io/OutputStream;)V"), stream);
}

void CallMain(JNIEnv* env, const char* className, const std::vector<std::wstring>& arguments) {
  jclass string = env->FindClass("java/lang/String");
  jobjectArray array = env->NewObjectArray(static_cast<jsize>(arguments.size()), string, nullptr);
  for (size_t i = 0; i < arguments.size(); ++i) {
    env->SetObjectArrayElement(array, static_cast<jsize>(i), NewJavaString(env, arguments[i]));
  }
  jclass cls = env->FindClass(className);
  env->CallStaticVoidMethod(cls, env->GetStaticMethodID(cls, "main", "([Ljava/lang/String;)V"), array);
}

[[noreturn]] void StringsScenario() {
  Checks checks;
  JNIEnv* env = CreateVm(checks);
  struct Case {
    std::wstring text;
    std::string modifiedUtf8;
  };
  const Case cases[] = {{L"", ""},
                        {L"plain", "plain"},
                        {L"Gr\u00fc\u00dfe", "Gr\xC3\xBC\xC3\x9F" "e"},
                        {L"\U0001D11E", "\xED\xA0\xB4\xED\xB4\x9E"},
                        {std::wstring(L"a\0b", 3), "a\xC0\x80" "b"}};
  for (const Case& c : cases) {
    std::string name = "\"" + Utf8(c.text) + "\"";
    jstring viaChars = NewJavaString(env, c.text);
    checks.Expect(viaChars && JavaText(env, viaChars) == c.text, name + " through String(char[])");
    jstring viaNewString = env->NewString(reinterpret_cast<const jchar*>(c.text.data()),
                                          static_cast<jsize>(c.text.size()));
    checks.Expect(JavaText(env, viaNewString) == c.text, name + " through NewString");
    const char* utf = env->GetStringUTFChars(viaChars, nullptr);
    checks.Expect(utf && std::string(utf) == c.modifiedUtf8, name + " as modified UTF-8");
    checks.Expect(JavaText(env, env->NewStringUTF(utf)) == c.text, name + " back through NewStringUTF");
    env->ReleaseStringUTFChars(viaChars, utf);
  }
  checks.Expect(!env->ExceptionCheck(), "no exception pending after the string calls");
  checks.Finish();
}

[[noreturn]] void LookupScenario(const std::wstring& errFile, const std::wstring& nativeErr) {
  Checks checks;
  JNIEnv* env = CreateVm(checks);
  checks.Expect(env->FindClass("com/example/Missing") == nullptr, "FindClass of an unknown class is null");
  checks.Expect(PendingIs(env, "java/lang/NoClassDefFoundError"), "NoClassDefFoundError is pending");
  checks.Expect(env->FindClass("test.Echo") == nullptr, "FindClass with dots finds nothing");
  env->ExceptionClear();
  jclass noMain = env->FindClass("test/NoMain");
  checks.Expect(noMain != nullptr, "test/NoMain exists");
  checks.Expect(env->GetStaticMethodID(noMain, "main", "([Ljava/lang/String;)V") == nullptr,
                "GetStaticMethodID of a missing main is null");
  checks.Expect(PendingIs(env, "java/lang/NoSuchMethodError"), "NoSuchMethodError is pending");
  jclass echo = env->FindClass("test/Echo");
  checks.Expect(env->GetStaticMethodID(echo, "main", "([Ljava/lang/String;)I") == nullptr,
                "a wrong signature finds nothing");
  checks.Expect(PendingIs(env, "java/lang/NoSuchMethodError"), "NoSuchMethodError for the wrong signature");
  // ExceptionDescribe: the prefix to native stderr, the trace through System.err.
  HANDLE native = CreateFileW(nativeErr.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr);
  SetStdHandle(STD_ERROR_HANDLE, native);
  jclass fileStream = env->FindClass("java/io/FileOutputStream");
  jobject file = env->NewObject(fileStream, env->GetMethodID(fileStream, "<init>", "(Ljava/lang/String;)V"),
                                NewJavaString(env, errFile));
  jclass system = env->FindClass("java/lang/System");
  env->CallStaticVoidMethod(system, env->GetStaticMethodID(system, "setErr", "(Ljava/io/PrintStream;)V"),
                            NewPrintStreamOver(env, file));
  env->ExceptionClear();
  env->GetStaticMethodID(noMain, "main", "([Ljava/lang/String;)V");
  env->ExceptionDescribe();
  checks.Expect(!env->ExceptionCheck(), "ExceptionDescribe clears the exception");
  CloseHandle(native);
  checks.Expect(ReadBytes(nativeErr) == "Exception in thread \"main\" ", "native stderr gets the prefix only: " +
                                                                             ReadBytes(nativeErr));
  checks.Expect(ReadBytes(errFile) ==
                    "java.lang.NoSuchMethodError: static Ltest/NoMain;.main([Ljava/lang/String;)V\r\n",
                "System.err gets the trace: " + ReadBytes(errFile));
  checks.Finish();
}

[[noreturn]] void StackTraceScenario() {
  Checks checks;
  JNIEnv* env = CreateVm(checks);
  CallMain(env, "test/Throws", {});
  jthrowable thrown = env->ExceptionOccurred();
  env->ExceptionClear();
  checks.Expect(thrown != nullptr, "test/Throws leaves an exception pending");
  jclass buffer = env->FindClass("java/io/ByteArrayOutputStream");
  jobject bytes = env->NewObject(buffer, env->GetMethodID(buffer, "<init>", "()V"));
  jobject print = NewPrintStreamOver(env, bytes);
  env->CallVoidMethod(thrown, env->GetMethodID(env->GetObjectClass(thrown), "printStackTrace",
                                               "(Ljava/io/PrintStream;)V"),
                      print);
  jstring text = static_cast<jstring>(env->CallObjectMethod(
      bytes, env->GetMethodID(env->GetObjectClass(bytes), "toString", "()Ljava/lang/String;")));
  checks.Expect(JavaText(env, text) ==
                    L"java.lang.IllegalStateException: bad state: Gr\u00fc\u00dfe \u2713 \U0001D11E\r\n"
                    L"\tat test.Throws.run(Throws.java:12)\r\n"
                    L"\tat test.Throws.main(Throws.java:5)\r\n"
                    L"Caused by: java.lang.IllegalArgumentException: root cause \u00e9\r\n"
                    L"\tat test.Throws.check(Throws.java:20)\r\n"
                    L"\tat test.Throws.run(Throws.java:10)\r\n"
                    L"\t... 1 more\r\n",
                "the trace text: " + Utf8(JavaText(env, text)));
  checks.Finish();
}

[[noreturn]] void RedirectScenario(const std::wstring& outFile) {
  Checks checks;
  JNIEnv* env = CreateVm(checks);
  jclass fileStream = env->FindClass("java/io/FileOutputStream");
  jmethodID open = env->GetMethodID(fileStream, "<init>", "(Ljava/lang/String;)V");
  env->NewObject(fileStream, open, NewJavaString(env, L"C:\\no\\such\\folder\\x.txt"));
  checks.Expect(PendingIs(env, "java/io/FileNotFoundException"), "an unopenable file raises FileNotFoundException");
  jobject file = env->NewObject(fileStream, open, NewJavaString(env, outFile));
  jclass system = env->FindClass("java/lang/System");
  env->CallStaticVoidMethod(system, env->GetStaticMethodID(system, "setOut", "(Ljava/io/PrintStream;)V"),
                            NewPrintStreamOver(env, file));
  CallMain(env, "test/Echo", {L"one", L"", L"Gr\u00fc\u00dfe \U0001D11E"});
  checks.Expect(!env->ExceptionCheck(), "Echo runs without an exception");
  checks.Expect(ReadBytes(outFile) == "one\r\n\r\nGr\xC3\xBC\xC3\x9F" "e \xF0\x9D\x84\x9E\r\n",
                "Echo's lines in the file as UTF-8: " + ReadBytes(outFile));
  checks.Finish();
}

[[noreturn]] void ExitScenario() {
  Checks checks;
  JNIEnv* env = CreateVm(checks, {"-Djava.class.path=C:\\app\\x.jar", "-Dname=Gr\xFC\xDF" "e", "-Xss2m"});
  callingThread = GetCurrentThreadId();
  CallMain(env, "test/Exit", {L"300"});
  checks.Expect(false, "System.exit returned");
  checks.Finish();
}

[[noreturn]] void UnimplementedScenario(const std::wstring& outFile) {
  Checks checks;
  JNIEnv* env = CreateVm(checks);
  jclass string = env->FindClass("java/lang/String");
  checks.Expect(env->GetFieldID(string, "value", "[B") == nullptr, "an unimplemented slot returns null");
  checks.Expect(PendingIs(env, "java/lang/UnsupportedOperationException"),
                "an unimplemented slot leaves UnsupportedOperationException");
  jclass fileStream = env->FindClass("java/io/FileOutputStream");
  jobject file = env->NewObject(fileStream, env->GetMethodID(fileStream, "<init>", "(Ljava/lang/String;)V"),
                                NewJavaString(env, outFile));
  jclass system = env->FindClass("java/lang/System");
  env->CallStaticVoidMethod(system, env->GetStaticMethodID(system, "setOut", "(Ljava/io/PrintStream;)V"),
                            NewPrintStreamOver(env, file));
  CallMain(env, "test/ThreadLinger", {});
  JavaVM* vm = nullptr;
  env->GetJavaVM(&vm);
  checks.Expect(vm->DetachCurrentThread() == JNI_OK, "the creating thread detaches");
  ULONGLONG start = GetTickCount64();
  checks.Expect(vm->DestroyJavaVM() == JNI_OK, "DestroyJavaVM returns 0");
  ULONGLONG waited = GetTickCount64() - start;
  checks.Expect(waited >= 1000, "DestroyJavaVM waited for the lingering thread (" + std::to_string(waited) + " ms)");
  checks.Expect(ReadBytes(outFile) == "lingering done\r\n", "the thread's line was written before the end");
  checks.Finish();
}

[[noreturn]] void FailureScenario(const char* option) {
  auto create = reinterpret_cast<CreateFn>(GetProcAddress(Double(), "JNI_CreateJavaVM"));
  JavaVMOption options[] = {{const_cast<char*>(option), nullptr}};
  JavaVMInitArgs args{JNI_VERSION_1_2, 1, options, JNI_FALSE};
  JavaVM* vm = nullptr;
  void* env = nullptr;
  ExitProcess(static_cast<UINT>(-create(&vm, &env, &args)));
}

// A hand-over as the single-instance listener does it: another thread
// attaches, finds "secondaryMain" in one of its two forms and calls it.
struct HandOver {
  JavaVM* vm = nullptr;
  JNIEnv* mainEnv = nullptr;
  Checks* checks = nullptr;
};

DWORD WINAPI HandOverThread(void* parameter) {
  auto* handOver = static_cast<HandOver*>(parameter);
  Checks& checks = *handOver->checks;
  JNIEnv* env = nullptr;
  checks.Expect(handOver->vm->GetEnv(reinterpret_cast<void**>(&env), JNI_VERSION_1_2) == JNI_EDETACHED,
                "GetEnv on a thread not attached is JNI_EDETACHED");
  checks.Expect(handOver->vm->AttachCurrentThread(reinterpret_cast<void**>(&env), nullptr) == JNI_OK && env,
                "AttachCurrentThread");
  checks.Expect(handOver->mainEnv->FindClass("test/Echo") == nullptr,
                "the main thread's JNIEnv refuses to work on another thread");
  jclass cls = env->FindClass("test/SecondaryInt");
  checks.Expect(env->GetStaticMethodID(cls, "secondaryMain", "([Ljava/lang/String;)V") == nullptr &&
                    PendingIs(env, "java/lang/NoSuchMethodError"),
                "the int form has no void secondaryMain");
  jmethodID secondary = env->GetStaticMethodID(cls, "secondaryMain", "([Ljava/lang/String;)I");
  jobjectArray array = env->NewObjectArray(2, env->FindClass("java/lang/String"), nullptr);
  env->SetObjectArrayElement(array, 0, NewJavaString(env, L"x"));
  env->SetObjectArrayElement(array, 1, NewJavaString(env, L""));
  checks.Expect(env->CallStaticIntMethod(cls, secondary, array) == 102, "secondaryMain returns argc + 100");
  env->ExceptionDescribe();
  checks.Expect(handOver->vm->DetachCurrentThread() == JNI_OK, "DetachCurrentThread");
  return 0;
}

[[noreturn]] void HandOverScenario() {
  Checks checks;
  HandOver handOver;
  handOver.checks = &checks;
  handOver.mainEnv = CreateVm(checks);
  handOver.mainEnv->GetJavaVM(&handOver.vm);
  CallMain(handOver.mainEnv, "test/SecondaryInt", {});
  HANDLE thread = CreateThread(nullptr, 0, HandOverThread, &handOver, 0, nullptr);
  checks.Expect(WaitForSingleObject(thread, 10000) == WAIT_OBJECT_0, "the hand-over thread ends");
  CloseHandle(thread);
  checks.Expect(handOver.vm->DetachCurrentThread() == JNI_OK, "the creating thread detaches");
  checks.Expect(handOver.vm->DestroyJavaVM() == JNI_OK, "DestroyJavaVM returns after the primary's linger");
  checks.Finish();
}

class JvmDouble : public testing::Test {
 protected:
  void SetUp() override {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    ASSERT_NE(Double(), nullptr) << "bin\\double\\jvm.dll does not load: " << GetLastError();
  }
};

TEST_F(JvmDouble, StringsRoundTripUtf16AndGiveModifiedUtf8) {
  std::wstring record = ScenarioRecord(L"strings");
  EXPECT_EXIT(StringsScenario(), testing::ExitedWithCode(0), "");
  EXPECT_TRUE(testsupport::ReadDoubleRecord(record).misuse.empty()) << "the string calls are proper JNI use";
  DeleteFileW(record.c_str());
}

TEST_F(JvmDouble, LookupFailuresLeavePendingExceptionsThatDescribeClears) {
  std::wstring record = ScenarioRecord(L"lookups");
  std::wstring errFile = record + L".err.txt";
  std::wstring nativeErr = record + L".native.txt";
  EXPECT_EXIT(LookupScenario(errFile, nativeErr), testing::ExitedWithCode(0), "");
  DeleteFileW(errFile.c_str());
  DeleteFileW(nativeErr.c_str());
  DeleteFileW(record.c_str());
}

TEST_F(JvmDouble, PrintStackTraceIntoBufferGivesFullTextWithCause) {
  std::wstring record = ScenarioRecord(L"stacktrace");
  EXPECT_EXIT(StackTraceScenario(), testing::ExitedWithCode(0), "");
  DeleteFileW(record.c_str());
}

TEST_F(JvmDouble, RedirectedSystemOutReceivesEchoAndRecordTellsTheFile) {
  std::wstring record = ScenarioRecord(L"redirect");
  std::wstring outFile = record + L".out-\u00e9.txt";
  EXPECT_EXIT(RedirectScenario(outFile), testing::ExitedWithCode(0), "");
  testsupport::DoubleRecord facts = testsupport::ReadDoubleRecord(record);
  ASSERT_EQ(facts.setOut.size(), 1u) << "one setOut recorded";
  EXPECT_EQ(facts.setOut[0], outFile);
  ASSERT_NE(facts.Main(), nullptr);
  EXPECT_EQ(facts.Main()->className, "test/Echo");
  EXPECT_EQ(facts.Main()->args, (std::vector<std::wstring>{L"one", L"", L"Gr\u00fc\u00dfe \U0001D11E"}));
  DeleteFileW(outFile.c_str());
  DeleteFileW(record.c_str());
}

TEST_F(JvmDouble, SystemExitRunsTheHookOnAnotherThreadAndEndsWithTheCode) {
  std::wstring record = ScenarioRecord(L"exit");
  SetEnvironmentVariableW(L"VORN_JVM_PATH", L"C:\\jre\\bin\\server\\jvm.dll");
  SetEnvironmentVariableW(L"VORN_JVM_HOME", nullptr);
  EXPECT_EXIT(ExitScenario(), testing::ExitedWithCode(300), "exit hook got 300 on another thread");
  SetEnvironmentVariableW(L"VORN_JVM_PATH", nullptr);
  testsupport::DoubleRecord facts = testsupport::ReadDoubleRecord(record);
  ASSERT_TRUE(facts.exists);
  EXPECT_EQ(facts.version, 0x00010002u);
  EXPECT_EQ(facts.options, (std::vector<std::string>{"-Djava.class.path=C:\\app\\x.jar", "-Dname=Gr\xFC\xDF" "e",
                                                      "-Xss2m", "abort", "exit"}))
      << "every option in order, bytes unchanged";
  EXPECT_TRUE(facts.exitHook && facts.abortHook);
  EXPECT_EQ(facts.classPath, "C:\\app\\x.jar");
  EXPECT_EQ(facts.env[L"VORN_JVM_PATH"], std::optional<std::wstring>(L"C:\\jre\\bin\\server\\jvm.dll"));
  EXPECT_EQ(facts.env.count(L"VORN_JVM_HOME"), 1u);
  EXPECT_FALSE(facts.env[L"VORN_JVM_HOME"].has_value()) << "an unset variable is recorded as unset";
  EXPECT_GT(facts.threadStack, 0);
  EXPECT_EQ(facts.createResult, std::optional<int>(-5)) << "the last create was the refused second one";
  EXPECT_EQ(facts.exitCode, std::optional<int>(300));
  EXPECT_TRUE(facts.exitHookCalled);
  DeleteFileW(record.c_str());
}

TEST_F(JvmDouble, UnimplementedSlotsFailLoudlyAndDestroyWaitsForJavaThreads) {
  std::wstring record = ScenarioRecord(L"unimplemented");
  std::wstring outFile = record + L".out.txt";
  EXPECT_EXIT(UnimplementedScenario(outFile), testing::ExitedWithCode(0), "");
  testsupport::DoubleRecord facts = testsupport::ReadDoubleRecord(record);
  EXPECT_EQ(facts.unimplemented, std::vector<std::string>{"GetFieldID"});
  EXPECT_TRUE(facts.destroyCalled);
  EXPECT_EQ(facts.destroyResult, std::optional<int>(0));
  EXPECT_EQ(facts.detaches, std::vector<std::string>{"main"});
  EXPECT_TRUE(facts.misuse.empty()) << facts.misuse[0];
  DeleteFileW(outFile.c_str());
  DeleteFileW(record.c_str());
}

TEST_F(JvmDouble, CreationFailsWithTheRequestedCode) {
  struct Case {
    const char* option;
    const wchar_t* environment;  // VORN_DOUBLE_CREATE_RESULT, or null
    jint code;
  };
  const Case cases[] = {{"-Dvorn.double.create=-6", nullptr, -6},
                        {"-Xrs", L"-4", -4},
                        {"-Xmxlots", nullptr, JNI_EINVAL},
                        {"-bogus", nullptr, JNI_ERR},
                        {"", nullptr, JNI_ERR}};
  for (const Case& c : cases) {
    std::wstring record = ScenarioRecord(L"failure");
    SetEnvironmentVariableW(L"VORN_DOUBLE_CREATE_RESULT", c.environment);
    EXPECT_EXIT(FailureScenario(c.option), testing::ExitedWithCode(-c.code), "") << "option \"" << c.option << "\"";
    EXPECT_EQ(testsupport::ReadDoubleRecord(record).createResult, std::optional<int>(c.code)) << c.option;
    DeleteFileW(record.c_str());
  }
  SetEnvironmentVariableW(L"VORN_DOUBLE_CREATE_RESULT", nullptr);
}

TEST_F(JvmDouble, AttachedThreadCallsSecondaryMainWithItsOwnEnv) {
  std::wstring record = ScenarioRecord(L"handover");
  SetEnvironmentVariableW(L"VORN_DOUBLE_LINGER_MS", L"300");
  EXPECT_EXIT(HandOverScenario(), testing::ExitedWithCode(0), "");
  SetEnvironmentVariableW(L"VORN_DOUBLE_LINGER_MS", nullptr);
  testsupport::DoubleRecord facts = testsupport::ReadDoubleRecord(record);
  ASSERT_EQ(facts.calls.size(), 2u);
  EXPECT_EQ(facts.calls[1].what, "secondaryMain");
  EXPECT_EQ(facts.calls[1].args, (std::vector<std::wstring>{L"x", L""}));
  EXPECT_EQ(facts.attaches, (std::vector<std::string>{"main", "Thread-1"}))
      << "the primary's lingering thread is Thread-0, the attached one Thread-1";
  EXPECT_EQ(facts.detaches, (std::vector<std::string>{"Thread-1", "main"}));
  ASSERT_EQ(facts.misuse.size(), 1u) << "only the deliberate use of another thread's JNIEnv";
  EXPECT_NE(facts.misuse[0].find("JNIEnv of another thread"), std::string::npos) << facts.misuse[0];
  DeleteFileW(record.c_str());
}

TEST_F(JvmDouble, DefaultInitArgsAnswerLikeHotSpot) {
  // The JDK 1.1 record: version at offset 0, javaStackSize at offset 24.
  auto defaults = reinterpret_cast<DefaultsFn>(GetProcAddress(Double(), "JNI_GetDefaultJavaVMInitArgs"));
  ASSERT_NE(defaults, nullptr);
  alignas(8) unsigned char record[256] = {};
  jint version = JNI_VERSION_1_1;
  std::memcpy(record, &version, sizeof version);
  EXPECT_EQ(defaults(record), JNI_ERR) << "1.1 is not supported, but the stack size is still given";
  jint stack = 0;
  std::memcpy(&stack, record + 24, sizeof stack);
  EXPECT_EQ(stack, 1048576);
  std::memcpy(&version, record, sizeof version);
  EXPECT_EQ(version, JNI_VERSION_1_2) << "the version is raised to 1.2";
  JavaVMInitArgs modern{JNI_VERSION_1_8, 0, nullptr, JNI_FALSE};
  EXPECT_EQ(defaults(&modern), JNI_OK);
}

TEST(JvmDoubleRecordReader, UnescapesOptionsEnvironmentAndArguments) {
  testsupport::DoubleRecord facts = testsupport::ParseDoubleRecord(
      "create version=0x00010002 ignoreUnrecognized=0 nOptions=2\n"
      "option[0]=-Da=%25b%FC\n"
      "option[1]=exit\n"
      "env Path=C:\\x;%C3%A9\n"
      "env VORN_JVM_HOME\n"
      "main test/Echo argc=3\n"
      "arg[0]=\n"
      "arg[1]=D834DD1E\n"
      "arg[2]=null\n"
      "secondaryMain test/SecondaryInt ([Ljava/lang/String;)I argc=1\n"
      "arg[0]=0061\n"
      "unimplemented GetFieldID index=94\n");
  EXPECT_EQ(facts.options, (std::vector<std::string>{"-Da=%b\xFC", "exit"}));
  EXPECT_EQ(facts.env[L"Path"], std::optional<std::wstring>(L"C:\\x;\u00e9"));
  EXPECT_FALSE(facts.env[L"VORN_JVM_HOME"].has_value());
  ASSERT_EQ(facts.calls.size(), 2u);
  EXPECT_EQ(facts.calls[0].args, (std::vector<std::wstring>{L"", L"\U0001D11E", L""}));
  EXPECT_EQ(facts.calls[0].nullArgs, (std::vector<bool>{false, false, true}));
  EXPECT_EQ(facts.calls[1].signature, "([Ljava/lang/String;)I");
  EXPECT_EQ(facts.calls[1].args, std::vector<std::wstring>{L"a"});
  EXPECT_EQ(facts.unimplemented, std::vector<std::string>{"GetFieldID"});
}

}  // namespace
