// Small helpers over the JNI function table of the calling thread: Java
// strings from wide text, and the values of calls. Platform-neutral (also
// built natively on Linux for the checks against a real virtual machine).
#pragma once

#include <jni.h>

#include <string>
#include <string_view>
#include <vector>

namespace jvm {

// The UTF-16 code units of a wide text (wchar_t is 4 bytes on Linux).
std::u16string ToUtf16(std::wstring_view text);

// A java.lang.String holding the text's UTF-16 code units, or null.
jstring NewJavaString(JNIEnv* env, std::wstring_view text);
// A String[] of the texts in order (empty list: empty array), or null.
jobjectArray NewJavaStringArray(JNIEnv* env, const std::vector<std::wstring>& texts);

// An argument of a call. The launcher calls Java through the JNI functions
// that take the arguments as an array (the ...A ones): a variable argument
// list would need a function of its own for each form.
inline jvalue JavaValue(jobject object) {
  jvalue value{};
  value.l = object;
  return value;
}
inline jvalue JavaValue(jint number) {
  jvalue value{};
  value.i = number;
  return value;
}

// When a Java exception is pending, the virtual machine prints it on its
// standard error and clears it.
void DescribePendingException(JNIEnv* env);

}  // namespace jvm
