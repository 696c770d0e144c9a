#include "jvm/service_stop.h"

#include "jvm/jni_helpers.h"

namespace jvm {
namespace {

// serviceStop when the class has it, else System.exit(0); leaves any
// exception pending for the caller to describe.
StopRequest StopThrough(JNIEnv* env, const std::string& mainClass) {
  jclass type = env->FindClass(mainClass.c_str());
  jmethodID stop = type != nullptr ? env->GetStaticMethodID(type, "serviceStop", "()V") : nullptr;
  if (stop != nullptr) {
    CallStaticVoidMethod(env, type, stop);
    env->DeleteLocalRef(type);
    return StopRequest::kServiceStop;
  }
  if (env->ExceptionCheck()) env->ExceptionClear();  // NoSuchMethodError: the ordinary case
  if (type != nullptr) env->DeleteLocalRef(type);
  jclass system = env->FindClass("java/lang/System");
  jmethodID exit = system != nullptr ? env->GetStaticMethodID(system, "exit", "(I)V") : nullptr;
  if (exit != nullptr) CallStaticVoidMethod(env, system, exit, static_cast<jint>(0));
  if (system != nullptr) env->DeleteLocalRef(system);
  return StopRequest::kSystemExit;
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
