#include "jvm/secondary_main.h"

#include "jvm/jni_helpers.h"

namespace jvm {
namespace {

constexpr const char* kSecondaryMain = "secondaryMain";
constexpr const char* kVoidForm = "([Ljava/lang/String;)V";
constexpr const char* kIntForm = "([Ljava/lang/String;)I";

// Finds the method and makes the array, then calls and answers; leaves any
// exception pending for the caller to describe.
bool CallAndAnswer(JNIEnv* env, const std::string& mainClass, const std::vector<std::wstring>& arguments,
                   HandOverHost& host) {
  jclass type = env->FindClass(mainClass.c_str());
  if (type == nullptr) return false;
  bool called = false;
  jmethodID method = env->GetStaticMethodID(type, kSecondaryMain, kVoidForm);
  const bool returnsInt = method == nullptr;
  if (returnsInt) {
    if (env->ExceptionCheck()) env->ExceptionClear();
    method = env->GetStaticMethodID(type, kSecondaryMain, kIntForm);
  }
  if (method != nullptr) {
    jobjectArray array = NewJavaStringArray(env, arguments);
    const jvalue args[] = {JavaValue(array)};
    if (array != nullptr) {
      if (returnsInt) {
        host.Answer(env->CallStaticIntMethodA(type, method, args));
      } else {
        host.Answer(0);
        env->CallStaticVoidMethodA(type, method, args);
      }
      called = true;
      env->DeleteLocalRef(array);
    }
  }
  env->DeleteLocalRef(type);
  return called;
}

}  // namespace

bool CallSecondaryMain(JavaVM* vm, const std::string& mainClass, const std::vector<std::wstring>& arguments,
                       bool stayAttached, HandOverHost& host) {
  JNIEnv* env = nullptr;
  // A thread that never attached has nothing to detach.
  if (vm == nullptr || vm->AttachCurrentThread(reinterpret_cast<void**>(&env), nullptr) != JNI_OK) return false;
  const bool called = CallAndAnswer(env, mainClass, arguments, host);
  DescribePendingException(env);
  if (!stayAttached) vm->DetachCurrentThread();
  return called;
}

}  // namespace jvm
