#include "jvm/service_stop.h"

#include "jvm/jni_helpers.h"

namespace jvm {
namespace {

// serviceStop when the class has it, else System.exit(0); leaves any
// exception pending for the caller to describe. The local references go with
// the thread's detach.
StopRequest StopThrough(JNIEnv* env, const std::string& mainClass) {
  jclass type = env->FindClass(mainClass.c_str());
  jmethodID method = type != nullptr ? env->GetStaticMethodID(type, "serviceStop", "()V") : nullptr;
  const StopRequest request = method != nullptr ? StopRequest::kServiceStop : StopRequest::kSystemExit;
  if (method == nullptr) {
    env->ExceptionClear();  // NoSuchMethodError: the ordinary case
    type = env->FindClass("java/lang/System");
    method = type != nullptr ? env->GetStaticMethodID(type, "exit", "(I)V") : nullptr;
  }
  // serviceStop reads no argument; System.exit reads the 0.
  const jvalue args[] = {JavaValue(jint{0})};
  if (method != nullptr) env->CallStaticVoidMethodA(type, method, args);
  return request;
}

}  // namespace

StopRequest RequestApplicationStop(JavaVM* vm, const std::string& mainClass) {
  JNIEnv* env = nullptr;
  if (vm == nullptr || vm->AttachCurrentThread(reinterpret_cast<void**>(&env), nullptr) != JNI_OK) {
    return StopRequest::kNotAttached;
  }
  const StopRequest request = StopThrough(env, mainClass);
  DescribePendingException(env);
  // A thread that ended attached would keep DestroyJavaVM waiting for ever.
  vm->DetachCurrentThread();
  return request;
}

}  // namespace jvm
