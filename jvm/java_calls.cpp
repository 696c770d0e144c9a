#include "jvm/java_calls.h"

#include <cstring>
#include <optional>
#include <utility>

#include "common/text.h"
#include "jvm/jni_helpers.h"
#include "jvm/vm_output.h"
#include "report/message_ids.h"

namespace jvm {
namespace {

char kVfprintfOption[] = "vfprintf";
char kAbortOption[] = "abort";
char kExitOption[] = "exit";

// Deletes a local reference when it goes out of scope.
class LocalRef {
 public:
  LocalRef(JNIEnv* env, jobject ref) : env_(env), ref_(ref) {}
  ~LocalRef() {
    if (ref_ != nullptr) env_->DeleteLocalRef(ref_);
  }
  LocalRef(const LocalRef&) = delete;
  LocalRef& operator=(const LocalRef&) = delete;
  jobject get() const { return ref_; }
  explicit operator bool() const { return ref_ != nullptr; }

 private:
  JNIEnv* env_;
  jobject ref_;
};

jclass AsClass(const LocalRef& ref) { return static_cast<jclass>(ref.get()); }

}  // namespace

std::size_t DefaultStackSizeFrom(GetDefaultJavaVmInitArgsFn getDefaults) {
  if (getDefaults == nullptr) return 0;
  Jdk11InitArgs args;
  std::memset(&args, 0, sizeof args);
  args.version = JNI_VERSION_1_1;
  getDefaults(&args);
  return args.javaStackSize > 0 ? static_cast<std::size_t>(args.javaStackSize) : 0;
}

VmOptionArray::VmOptionArray(const std::vector<std::string>& vmOptions, VmAbortHookFn abortHook,
                             VmExitHookFn exitHook)
    : options_(vmOptions.size() + 3) {
  // First: the VM reads its options in order and stops at a bad one, which it
  // reports through the hook only when it has already seen it.
  std::size_t next = 0;
  options_[next++] = JavaVMOption{kVfprintfOption, reinterpret_cast<void*>(&VmVfprintfHook)};
  for (const std::string& option : vmOptions) {
    options_[next++] = JavaVMOption{const_cast<char*>(option.c_str()), nullptr};
  }
  options_[next++] = JavaVMOption{kAbortOption, reinterpret_cast<void*>(abortHook)};
  options_[next] = JavaVMOption{kExitOption, reinterpret_cast<void*>(exitHook)};
  args_.version = JNI_VERSION_1_2;
  args_.nOptions = static_cast<jint>(options_.size());
  args_.options = options_.data();
  args_.ignoreUnrecognized = JNI_FALSE;
}

jint CreateJavaVmWith(CreateJavaVmFn create, const std::vector<std::string>& vmOptions, VmAbortHookFn abortHook,
                      VmExitHookFn exitHook, JavaVM** vm, JNIEnv** env) {
  VmOptionArray array(vmOptions, abortHook, exitHook);
  return create(vm, reinterpret_cast<void**>(env), array.initArgs());
}

unsigned CreationFailureReasonId(jint result) {
  switch (result) {
    case -1:
      return IDS_JNI_UNKNOWN;
    case -2:
      return IDS_JNI_DETACHED;
    case -3:
      return IDS_JNI_VERSION;
    case -4:
      return IDS_JNI_NO_MEMORY;
    case -5:
      return IDS_JNI_EXISTS;
    case -6:
      return IDS_JNI_INVALID;
    default:
      return 0;
  }
}

namespace {

// A new `className` made by its constructor of `signature`, which takes at
// most `argument`; null (with the exception still pending) when a step fails.
jobject NewInstance(JNIEnv* env, const char* className, const char* signature, jobject argument) {
  LocalRef type(env, env->FindClass(className));
  jmethodID constructor = type ? env->GetMethodID(AsClass(type), "<init>", signature) : nullptr;
  const jvalue args[] = {JavaValue(argument)};
  return constructor ? env->NewObjectA(AsClass(type), constructor, args) : nullptr;
}

constexpr char kPrintStream[] = "java/io/PrintStream";
constexpr char kPrintStreamInit[] = "(Ljava/io/OutputStream;)V";

// The text of a Java string; none (with the exception still pending) when its
// characters cannot be read.
std::optional<std::wstring> JavaStringText(JNIEnv* env, jobject string) {
  const char* utf = env->GetStringUTFChars(static_cast<jstring>(string), nullptr);
  if (utf == nullptr) return std::nullopt;
  std::wstring result = text::FromModifiedUtf8(utf);
  env->ReleaseStringUTFChars(static_cast<jstring>(string), utf);
  return result;
}

// A PrintStream over a new FileOutputStream of `path`; null (with the
// exception still pending) when a step fails.
jobject OpenPrintStream(JNIEnv* env, const std::wstring& path) {
  LocalRef name(env, NewJavaString(env, path));
  LocalRef file(env,
                name ? NewInstance(env, "java/io/FileOutputStream", "(Ljava/lang/String;)V", name.get()) : nullptr);
  return file ? NewInstance(env, kPrintStream, kPrintStreamInit, file.get()) : nullptr;
}

// System.<setter>(printStream); false when the setter cannot be found.
bool SetStandardStream(JNIEnv* env, const char* setter, jobject printStream) {
  LocalRef systemClass(env, env->FindClass("java/lang/System"));
  jmethodID set =
      systemClass ? env->GetStaticMethodID(AsClass(systemClass), setter, "(Ljava/io/PrintStream;)V") : nullptr;
  if (set == nullptr) return false;
  const jvalue args[] = {JavaValue(printStream)};
  env->CallStaticVoidMethodA(AsClass(systemClass), set, args);
  return !env->ExceptionCheck();  // a setter that threw ends the redirection here
}

// A pending exception is described and makes the result false.
bool SucceededWithoutException(JNIEnv* env, bool made) {
  jthrowable pending = env->ExceptionOccurred();
  if (pending != nullptr) {
    env->DeleteLocalRef(pending);
    DescribePendingException(env);
    return false;
  }
  return made;
}

// System.<first>, then System.<second> when given, set to one PrintStream of
// `path`; a pending exception is described and makes the result false.
bool Redirect(JNIEnv* env, const std::wstring& path, const char* first, const char* second,
              std::uint32_t (*createParentFolders)(const std::wstring& path)) {
  if (createParentFolders != nullptr) createParentFolders(path);
  bool made = false;
  {
    LocalRef print(env, OpenPrintStream(env, path));
    made = print && SetStandardStream(env, first, print.get()) &&
           (second == nullptr || SetStandardStream(env, second, print.get()));
  }
  return SucceededWithoutException(env, made);
}

}  // namespace

bool RedirectStandardStream(JNIEnv* env, const std::wstring& path, const char* setter,
                            std::uint32_t (*createParentFolders)(const std::wstring& path)) {
  return Redirect(env, path, setter, nullptr, createParentFolders);
}

bool RedirectBothStandardStreams(JNIEnv* env, const std::wstring& path,
                                 std::uint32_t (*createParentFolders)(const std::wstring& path)) {
  return Redirect(env, path, "setOut", "setErr", createParentFolders);
}

namespace {

constexpr char kFxApplication[] = "javafx/application/Application";

// JavaFX's Application, or null (with nothing pending) when the runtime has
// no JavaFX.
jobject FindFxApplication(JNIEnv* env) {
  jclass found = env->FindClass(kFxApplication);
  if (found == nullptr) env->ExceptionClear();
  return found;
}

// Application.launch(Class, String[]) when `type` extends Application; null
// otherwise (with nothing pending).
jmethodID FxLaunchMethod(JNIEnv* env, jclass type, jclass fxApplication) {
  if (fxApplication == nullptr || !env->IsAssignableFrom(type, fxApplication)) return nullptr;
  jmethodID launch = env->GetStaticMethodID(fxApplication, "launch", "(Ljava/lang/Class;[Ljava/lang/String;)V");
  if (launch == nullptr) env->ExceptionClear();
  return launch;
}

}  // namespace

MainOutcome CallMain(JNIEnv* env, const std::wstring& mainClass, const std::vector<std::wstring>& arguments,
                     bool failureCheck, MainInvocationHost& host) {
  if (mainClass.empty()) {
    host.ReportMainNotCalled(IDS_NO_MAIN_CLASS, mainClass);
    return kMainNotCalled;
  }
  LocalRef name(env, NewJavaString(env, mainClass));
  if (!name) {
    DescribePendingException(env);
    host.ReportMainNotCalled(IDS_LOAD_MAIN_CLASS_FAILED, mainClass);
    return kMainNotCalled;
  }
  const char* utf = env->GetStringUTFChars(static_cast<jstring>(name.get()), nullptr);
  if (utf == nullptr) {
    DescribePendingException(env);
    return kMainNotCalled;
  }
  LocalRef type(env, env->FindClass(utf));
  if (!type) {
    const std::wstring decoded = text::FromModifiedUtf8(utf);
    env->ReleaseStringUTFChars(static_cast<jstring>(name.get()), utf);
    DescribePendingException(env);
    host.ReportMainNotCalled(IDS_MAIN_CLASS_NOT_FOUND, decoded);
    return kMainNotCalled;
  }
  env->ReleaseStringUTFChars(static_cast<jstring>(name.get()), utf);

  jmethodID mainMethod = env->GetStaticMethodID(AsClass(type), "main", "([Ljava/lang/String;)V");
  // Without main, a JavaFX application class runs as the java command runs
  // it; the NoSuchMethodError waits aside meanwhile.
  LocalRef noMain(env, mainMethod == nullptr ? env->ExceptionOccurred() : nullptr);
  if (mainMethod == nullptr) env->ExceptionClear();
  LocalRef fxApplication(env, mainMethod == nullptr ? FindFxApplication(env) : nullptr);
  jmethodID fxLaunch = FxLaunchMethod(env, AsClass(type), AsClass(fxApplication));
  if (mainMethod == nullptr && fxLaunch == nullptr) {
    if (noMain) {
      env->Throw(static_cast<jthrowable>(noMain.get()));
      env->ExceptionDescribe();
    } else {
      host.ReportMainNotCalled(IDS_NO_MAIN_METHOD, mainClass);
    }
    return kMainNotCalled;
  }

  LocalRef array(env, NewJavaStringArray(env, arguments));
  if (!array) {
    DescribePendingException(env);
    return kMainNotCalled;
  }

  host.MainAboutToRun();
  // Application.launch(type, args), or main(args).
  const jvalue args[] = {JavaValue(type.get()), JavaValue(array.get())};
  if (fxLaunch != nullptr) {
    env->CallStaticVoidMethodA(AsClass(fxApplication), fxLaunch, args);
  } else {
    env->CallStaticVoidMethodA(AsClass(type), mainMethod, args + 1);
  }

  jthrowable thrown = env->ExceptionOccurred();
  if (thrown != nullptr) {
    LocalRef throwable(env, thrown);
    env->ExceptionDescribe();
    host.CloseSplash();
    const ExceptionAnswer answer = failureCheck ? host.ShowExceptionDialog(env, thrown) : ExceptionAnswer::kNotAsked;
    if (answer == ExceptionAnswer::kStop) ExitJava(env);
    return answer == ExceptionAnswer::kGoOn ? kMainThrewUserWentOn : kMainThrew;
  }
  return kMainReturned;
}

std::wstring DescriptorMainClass(JNIEnv* env, const std::wstring& module) {
  // Object.class.getModule().getLayer() is the boot layer; then
  // findModule(module).orElse(null).getDescriptor().mainClass().orElse(null).
  // Pairs of method name and signature; "*" marks the one that takes the
  // module's name. A null on the way ends the chain.
  static constexpr char kChain[] =
      "getModule\0()Ljava/lang/Module;\0getLayer\0()Ljava/lang/ModuleLayer;\0"
      "*findModule\0(Ljava/lang/String;)Ljava/util/Optional;\0orElse\0(Ljava/lang/Object;)Ljava/lang/Object;\0"
      "getDescriptor\0()Ljava/lang/module/ModuleDescriptor;\0mainClass\0()Ljava/util/Optional;\0"
      "orElse\0(Ljava/lang/Object;)Ljava/lang/Object;\0";
  LocalRef name(env, NewJavaString(env, module));
  jobject current = name ? env->FindClass("java/lang/Object") : nullptr;
  for (const char* step = kChain; *step != '\0' && current != nullptr;) {
    const bool takesName = *step == '*';
    const char* method = step + takesName;
    const char* signature = method + std::strlen(method) + 1;
    step = signature + std::strlen(signature) + 1;
    jclass type = env->GetObjectClass(current);
    jmethodID id = env->GetMethodID(type, method, signature);
    const jvalue args[] = {JavaValue(takesName ? name.get() : nullptr)};
    jobject next = id ? env->CallObjectMethodA(current, id, args) : nullptr;
    if (env->ExceptionCheck()) next = nullptr;  // the chain ends; described below
    env->DeleteLocalRef(type);
    env->DeleteLocalRef(current);
    current = next;
  }
  LocalRef className(env, current);
  std::optional<std::wstring> found = className ? JavaStringText(env, className.get()) : std::nullopt;
  DescribePendingException(env);
  if (!found) return {};
  return text::ReplaceAll(std::move(*found), L'.', L'/');
}

void ExitJava(JNIEnv* env) {
  LocalRef system(env, env->FindClass("java/lang/System"));
  jmethodID exitMethod = system ? env->GetStaticMethodID(AsClass(system), "exit", "(I)V") : nullptr;
  const jvalue args[] = {JavaValue(jint{-1})};
  if (exitMethod != nullptr) env->CallStaticVoidMethodA(AsClass(system), exitMethod, args);
  DescribePendingException(env);
}

std::wstring StackTraceText(JNIEnv* env, jthrowable throwable) {
  if (throwable == nullptr) return {};
  // A step that fails leaves its exception described, never pending.
  auto failed = [env] {
    DescribePendingException(env);
    return std::wstring();
  };
  LocalRef buffer(env, NewInstance(env, "java/io/ByteArrayOutputStream", "()V", nullptr));
  if (!buffer) return failed();
  LocalRef print(env, NewInstance(env, kPrintStream, kPrintStreamInit, buffer.get()));
  if (!print) return failed();

  LocalRef throwableClass(env, env->GetObjectClass(throwable));
  if (!throwableClass) return failed();
  jmethodID printStackTrace = env->GetMethodID(AsClass(throwableClass), "printStackTrace", "(Ljava/io/PrintStream;)V");
  if (printStackTrace == nullptr) return failed();
  const jvalue args[] = {JavaValue(print.get())};
  env->CallVoidMethodA(throwable, printStackTrace, args);
  DescribePendingException(env);

  LocalRef bufferType(env, env->GetObjectClass(buffer.get()));
  if (!bufferType) return failed();
  jmethodID toString = env->GetMethodID(AsClass(bufferType), "toString", "()Ljava/lang/String;");
  if (toString == nullptr) return failed();
  LocalRef textObject(env, env->CallObjectMethodA(buffer.get(), toString, nullptr));
  DescribePendingException(env);
  if (!textObject) return failed();

  std::optional<std::wstring> result = JavaStringText(env, textObject.get());
  return result ? std::move(*result) : failed();
}

}  // namespace jvm
