#include "jvm/jni_helpers.h"


namespace jvm {

std::u16string ToUtf16(std::wstring_view text) {
  // Where wchar_t is the UTF-16 unit the text is copied as it stands.
  if constexpr (sizeof(wchar_t) == 2) return std::u16string(text.begin(), text.end());
  std::u16string units;
  units.reserve(text.size());
  for (wchar_t c : text) {
    auto cp = static_cast<std::uint32_t>(c);
    if constexpr (sizeof(wchar_t) == 2) {
      units += static_cast<char16_t>(cp);
    } else if (cp >= 0x10000 && cp <= 0x10FFFF) {
      cp -= 0x10000;
      units += static_cast<char16_t>(0xD800 + (cp >> 10));
      units += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else if (cp > 0x10FFFF) {
      units += u'\uFFFD';
    } else {
      units += static_cast<char16_t>(cp);
    }
  }
  return units;
}

jstring NewJavaString(JNIEnv* env, std::wstring_view text) {
  jclass stringClass = env->FindClass("java/lang/String");
  if (stringClass == nullptr) return nullptr;
  jstring result = nullptr;
  jmethodID constructor = env->GetMethodID(stringClass, "<init>", "([C)V");
  const std::u16string units = ToUtf16(text);
  jcharArray chars = constructor != nullptr ? env->NewCharArray(static_cast<jsize>(units.size())) : nullptr;
  if (chars != nullptr) {
    env->SetCharArrayRegion(chars, 0, static_cast<jsize>(units.size()), reinterpret_cast<const jchar*>(units.data()));
    jthrowable pending = env->ExceptionOccurred();
    if (pending == nullptr) {
      const jvalue args[] = {JavaValue(chars)};
      result = static_cast<jstring>(env->NewObjectA(stringClass, constructor, args));
    } else {
      env->DeleteLocalRef(pending);
    }
    env->DeleteLocalRef(chars);
  }
  env->DeleteLocalRef(stringClass);
  return result;
}

jobjectArray NewJavaStringArray(JNIEnv* env, const std::vector<std::wstring>& texts) {
  jclass stringClass = env->FindClass("java/lang/String");
  if (stringClass == nullptr) return nullptr;
  jobjectArray array = env->NewObjectArray(static_cast<jsize>(texts.size()), stringClass, nullptr);
  env->DeleteLocalRef(stringClass);
  if (array == nullptr) return nullptr;
  for (size_t i = 0; i < texts.size(); ++i) {
    jstring element = NewJavaString(env, texts[i]);
    if (element == nullptr) {
      env->DeleteLocalRef(array);
      return nullptr;
    }
    env->SetObjectArrayElement(array, static_cast<jsize>(i), element);
    env->DeleteLocalRef(element);
  }
  return array;
}

void DescribePendingException(JNIEnv* env) {
  jthrowable pending = env->ExceptionOccurred();
  if (pending == nullptr) return;
  env->ExceptionDescribe();
  env->DeleteLocalRef(pending);
}

}  // namespace jvm
