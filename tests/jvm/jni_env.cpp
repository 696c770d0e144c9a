// The JNI function table of the double. Every slot points somewhere: the
// functions the launcher uses are implemented over the simulated world; all
// others are distinct stubs that record "unimplemented <name>" and fail with
// a pending UnsupportedOperationException. No C++ exception leaves a JNI call.
#include <cstdarg>
#include <set>
#include <type_traits>

#include "double_record.h"
#include "text.h"
#include "world.h"

namespace jvmdouble {

namespace {

constexpr jint kCurrentVersion = JNI_VERSION_10;  // what OpenJDK 17 reports

const char* const kSlotNames[] = {
#define JNI_RESERVED(n) "reserved" #n,
#define JNI_SLOT(name, kind) #name,
#include "jni_slots.inc"
#undef JNI_RESERVED
#undef JNI_SLOT
};
constexpr size_t kSlotCount = sizeof(kSlotNames) / sizeof(kSlotNames[0]);
static_assert(sizeof(JNINativeInterface_) == kSlotCount * sizeof(void*), "jni_slots.inc does not match jni.h");

// Buffers handed out by Get*Chars, until their Release*.
std::mutex buffersMutex;
std::set<const void*> liveBuffers;

ThreadState* Enter(JNIEnv* env, const char* function) {
  if (GetVmState() != VmState::Created) {
    Record(std::string("misuse ") + function + " called while no VM exists");
    return nullptr;
  }
  ThreadState* thread = CurrentThread();
  if (!thread) {
    Record(std::string("misuse ") + function + " called on a thread that is not attached");
    return nullptr;
  }
  if (env != reinterpret_cast<JNIEnv*>(&thread->env)) {
    Record(std::string("misuse ") + function + " called with the JNIEnv of another thread on thread " + thread->name);
    return nullptr;
  }
  return thread;
}

// Runs one JNI function: Java exceptions become the pending exception,
// misuse is recorded, and the function then returns 0/null.
template <typename R, typename Body>
R Guarded(JNIEnv* env, const char* function, bool allowedWithPending, Body&& body) {
  ThreadState* thread = Enter(env, function);
  if (thread) {
    if (thread->pending && !allowedWithPending) {
      Record(std::string("jniwarning ") + function + " called with an exception pending");
    }
    try {
      return body(*thread);
    } catch (const JavaThrow& thrown) {
      SetPending(*thread, thrown.throwable);
    } catch (const Misuse& misuse) {
      Record("misuse " + misuse.text);
      try {
        SetPending(*thread, NewThrowable("java/lang/InternalError", u"JNI misuse: " + U16FromAscii(misuse.text)));
      } catch (...) {
      }
    } catch (const std::exception& error) {
      Record(std::string("misuse internal error of the double in ") + function + ": " + error.what());
    } catch (...) {
      Record(std::string("misuse internal error of the double in ") + function);
    }
  }
  if constexpr (!std::is_void_v<R>) return R{};
}

ClassInfo* ClassArg(ThreadState& thread, jclass cls, const char* function) {
  ObjPtr obj = Resolve(thread, cls, function);
  if (!obj) throw Misuse{std::string(function) + " got a null class"};
  if (!obj->mirrorOf) throw Misuse{std::string(function) + " got an object of class " + obj->cls->name + ", not a class"};
  return obj->mirrorOf;
}

ObjPtr StringArg(ThreadState& thread, jstring str, const char* function) {
  ObjPtr obj = Resolve(thread, str, function);
  if (!obj) throw Misuse{std::string(function) + " got a null string"};
  if (obj->cls->name != "java/lang/String") throw Misuse{std::string(function) + " got a " + obj->cls->name};
  return obj;
}

ObjPtr ArrayArg(ThreadState& thread, jarray array, const char* type, const char* function) {
  ObjPtr obj = Resolve(thread, array, function);
  if (!obj) throw Misuse{std::string(function) + " got a null array"};
  if (obj->cls->name[0] != '[' || (type && obj->cls->name != type)) {
    throw Misuse{std::string(function) + " got a " + obj->cls->name};
  }
  return obj;
}

MethodInfo* MethodArg(jmethodID id, const char* function) {
  auto* method = reinterpret_cast<MethodInfo*>(id);
  if (!method || !IsValidMethod(method)) throw Misuse{std::string(function) + " got an invalid method id"};
  return method;
}

char* NewBuffer(size_t bytes) {
  char* buffer = new char[bytes];
  std::lock_guard lock(buffersMutex);
  liveBuffers.insert(buffer);
  return buffer;
}

void ReleaseBuffer(const void* buffer, const char* function) {
  {
    std::lock_guard lock(buffersMutex);
    if (!liveBuffers.erase(buffer)) throw Misuse{std::string(function) + " of a buffer the VM did not hand out"};
  }
  delete[] static_cast<const char*>(buffer);
}

void CheckRegion(jsize start, jsize length, size_t size, const char* exception) {
  if (start < 0 || length < 0 || static_cast<size_t>(start) + static_cast<size_t>(length) > size) {
    ThrowJava(exception, u"Array region " + U16FromAscii(std::to_string(start)) + u".." +
                             U16FromAscii(std::to_string(static_cast<long long>(start) + length)) +
                             u" out of bounds for length " + U16FromAscii(std::to_string(size)));
  }
}

// ---- argument lists ----

std::vector<Value> ReadArguments(ThreadState& thread, const MethodInfo* method, va_list* va, const jvalue* array,
                                 bool fromArray, const char* function) {
  std::vector<Value> values;
  if (fromArray && !array && !method->params.empty()) throw Misuse{std::string(function) + " got a null jvalue array"};
  for (size_t i = 0; i < method->params.size(); ++i) {
    Value value;
    switch (method->params[i][0]) {
      case 'Z': value.prim.z = fromArray ? array[i].z : static_cast<jboolean>(va_arg(*va, int)); break;
      case 'B': value.prim.b = fromArray ? array[i].b : static_cast<jbyte>(va_arg(*va, int)); break;
      case 'C': value.prim.c = fromArray ? array[i].c : static_cast<jchar>(va_arg(*va, int)); break;
      case 'S': value.prim.s = fromArray ? array[i].s : static_cast<jshort>(va_arg(*va, int)); break;
      case 'I': value.prim.i = fromArray ? array[i].i : va_arg(*va, jint); break;
      case 'J': value.prim.j = fromArray ? array[i].j : va_arg(*va, jlong); break;
      case 'F': value.prim.f = fromArray ? array[i].f : static_cast<jfloat>(va_arg(*va, double)); break;
      case 'D': value.prim.d = fromArray ? array[i].d : va_arg(*va, double); break;
      default: value.obj = Resolve(thread, fromArray ? array[i].l : va_arg(*va, jobject), function); break;
    }
    values.push_back(std::move(value));
  }
  return values;
}

template <typename R> struct JavaType;
#define JAVA_TYPE(R, letter, member)                                                      \
  template <> struct JavaType<R> {                                                       \
    static constexpr char kind = letter;                                                  \
    static R From(ThreadState&, const Value& value) { return value.prim.member; }         \
  };
JAVA_TYPE(jboolean, 'Z', z)
JAVA_TYPE(jbyte, 'B', b)
JAVA_TYPE(jchar, 'C', c)
JAVA_TYPE(jshort, 'S', s)
JAVA_TYPE(jint, 'I', i)
JAVA_TYPE(jlong, 'J', j)
JAVA_TYPE(jfloat, 'F', f)
JAVA_TYPE(jdouble, 'D', d)
#undef JAVA_TYPE
template <> struct JavaType<jobject> {
  static constexpr char kind = 'L';
  static jobject From(ThreadState& thread, const Value& value) { return NewLocalRef(thread, value.obj); }
};
template <> struct JavaType<void> {
  static constexpr char kind = 'V';
};

template <typename R>
R CallCommon(JNIEnv* env, CallKind kind, jobject target, jclass nonvirtualClass, jmethodID id, va_list* va,
             const jvalue* array, bool fromArray, const char* function) {
  return Guarded<R>(env, function, false, [&](ThreadState& thread) -> R {
    MethodInfo* method = MethodArg(id, function);
    char result = method->result[0] == '[' ? 'L' : method->result[0];
    if (result != JavaType<R>::kind) {
      throw Misuse{std::string(function) + " of " + method->owner->name + "." + method->name + method->signature +
                   ", whose result is " + method->result};
    }
    std::vector<Value> args = ReadArguments(thread, method, va, array, fromArray, function);
    ObjPtr self;
    ClassInfo* cls = nullptr;
    if (kind == CallKind::Static) {
      cls = ClassArg(thread, reinterpret_cast<jclass>(target), function);
    } else {
      self = Resolve(thread, target, function);
      if (!self) throw Misuse{std::string(function) + " on a null object"};
      if (kind == CallKind::Nonvirtual) cls = ClassArg(thread, nonvirtualClass, function);
    }
    Value value = Invoke(thread, method, kind, cls, self, args);
    if constexpr (!std::is_void_v<R>) return JavaType<R>::From(thread, value);
  });
}

struct VaEnd {
  va_list& list;
  ~VaEnd() { va_end(list); }
};

}  // namespace

// ---- the implemented functions, named as their slots ----
namespace impl {

jint JNICALL GetVersion(JNIEnv* env) {
  return Guarded<jint>(env, "GetVersion", true, [](ThreadState&) { return kCurrentVersion; });
}

jclass JNICALL FindClass(JNIEnv* env, const char* name) {
  return Guarded<jclass>(env, "FindClass", false, [&](ThreadState& thread) -> jclass {
    if (!name) throw Misuse{"FindClass of a null name"};
    Record("findclass " + EscapeNarrow(name));
    ClassInfo* cls = std::string(name).find('.') == std::string::npos ? FindClassInfo(name) : nullptr;
    if (!cls) {
      std::u16string text = DecodeModifiedUtf8(name);
      std::u16string dotted = text;
      for (char16_t& c : dotted) {
        if (c == u'/') c = u'.';
      }
      ObjPtr cause = NewThrowable("java/lang/ClassNotFoundException", dotted, nullptr,
                                  {"java.base/jdk.internal.loader.BuiltinClassLoader.loadClass(BuiltinClassLoader.java:641)",
                                   "java.base/jdk.internal.loader.ClassLoaders$AppClassLoader.loadClass(ClassLoaders.java:188)",
                                   "java.base/java.lang.ClassLoader.loadClass(ClassLoader.java:520)"});
      ThrowJava("java/lang/NoClassDefFoundError", text, cause);
    }
    return static_cast<jclass>(NewLocalRef(thread, cls->mirror));
  });
}

jclass JNICALL GetSuperclass(JNIEnv* env, jclass sub) {
  return Guarded<jclass>(env, "GetSuperclass", false, [&](ThreadState& thread) -> jclass {
    ClassInfo* cls = ClassArg(thread, sub, "GetSuperclass");
    return cls->super ? static_cast<jclass>(NewLocalRef(thread, cls->super->mirror)) : nullptr;
  });
}

jboolean JNICALL IsAssignableFrom(JNIEnv* env, jclass sub, jclass sup) {
  return Guarded<jboolean>(env, "IsAssignableFrom", false, [&](ThreadState& thread) -> jboolean {
    return IsSubclass(ClassArg(thread, sub, "IsAssignableFrom"), ClassArg(thread, sup, "IsAssignableFrom"));
  });
}

jint JNICALL Throw(JNIEnv* env, jthrowable obj) {
  return Guarded<jint>(env, "Throw", false, [&](ThreadState& thread) -> jint {
    ObjPtr throwable = Resolve(thread, obj, "Throw");
    if (!throwable || !IsSubclass(throwable->cls, ClassOf("java/lang/Throwable"))) {
      throw Misuse{"Throw of something that is not a Throwable"};
    }
    SetPending(thread, throwable);
    return JNI_OK;
  });
}

jint JNICALL ThrowNew(JNIEnv* env, jclass clazz, const char* message) {
  return Guarded<jint>(env, "ThrowNew", false, [&](ThreadState& thread) -> jint {
    ClassInfo* cls = ClassArg(thread, clazz, "ThrowNew");
    if (!IsSubclass(cls, ClassOf("java/lang/Throwable"))) throw Misuse{"ThrowNew of " + cls->name};
    ObjPtr throwable = NewObjectOf(cls);
    throwable->hasMessage = message != nullptr;
    throwable->message = message ? DecodeModifiedUtf8(message) : u"";
    SetPending(thread, throwable);
    return JNI_OK;
  });
}

jthrowable JNICALL ExceptionOccurred(JNIEnv* env) {
  return Guarded<jthrowable>(env, "ExceptionOccurred", true, [&](ThreadState& thread) {
    return static_cast<jthrowable>(NewLocalRef(thread, thread.pending));
  });
}

void JNICALL ExceptionDescribe(JNIEnv* env) {
  Guarded<void>(env, "ExceptionDescribe", true, [&](ThreadState& thread) { DescribeAndClear(thread); });
}

void JNICALL ExceptionClear(JNIEnv* env) {
  Guarded<void>(env, "ExceptionClear", true, [&](ThreadState& thread) { thread.pending.reset(); });
}

void JNICALL FatalError(JNIEnv* env, const char* message) {
  Record("fatal " + EscapeNarrow(message ? message : "(null)"));
  AbortVm(message ? message : "");
}

jint JNICALL PushLocalFrame(JNIEnv* env, jint capacity) {
  return Guarded<jint>(env, "PushLocalFrame", true, [&](ThreadState& thread) -> jint {
    if (capacity < 0) return JNI_ERR;
    PushFrame(thread);
    return JNI_OK;
  });
}

jobject JNICALL PopLocalFrame(JNIEnv* env, jobject result) {
  return Guarded<jobject>(env, "PopLocalFrame", true, [&](ThreadState& thread) {
    return NewLocalRef(thread, PopFrame(thread, result, "PopLocalFrame"));
  });
}

jobject JNICALL NewGlobalRef(JNIEnv* env, jobject obj) {
  return Guarded<jobject>(env, "NewGlobalRef", false, [&](ThreadState& thread) {
    return jvmdouble::NewGlobalRef(Resolve(thread, obj, "NewGlobalRef"));
  });
}

void JNICALL DeleteGlobalRef(JNIEnv* env, jobject ref) {
  Guarded<void>(env, "DeleteGlobalRef", true,
                [&](ThreadState& thread) { DeleteRef(thread, ref, RefKind::Global, "DeleteGlobalRef"); });
}

void JNICALL DeleteLocalRef(JNIEnv* env, jobject ref) {
  Guarded<void>(env, "DeleteLocalRef", true,
                [&](ThreadState& thread) { DeleteRef(thread, ref, RefKind::Local, "DeleteLocalRef"); });
}

jboolean JNICALL IsSameObject(JNIEnv* env, jobject a, jobject b) {
  return Guarded<jboolean>(env, "IsSameObject", true, [&](ThreadState& thread) -> jboolean {
    return Resolve(thread, a, "IsSameObject") == Resolve(thread, b, "IsSameObject");
  });
}

jobject JNICALL NewLocalRef(JNIEnv* env, jobject ref) {
  return Guarded<jobject>(env, "NewLocalRef", false, [&](ThreadState& thread) {
    return jvmdouble::NewLocalRef(thread, Resolve(thread, ref, "NewLocalRef"));
  });
}

jint JNICALL EnsureLocalCapacity(JNIEnv* env, jint capacity) {
  return Guarded<jint>(env, "EnsureLocalCapacity", true,
                       [&](ThreadState&) -> jint { return capacity < 0 ? JNI_ERR : JNI_OK; });
}

jobject NewObjectCommon(JNIEnv* env, jclass clazz, jmethodID id, va_list* va, const jvalue* array, bool fromArray,
                        const char* function) {
  return Guarded<jobject>(env, function, false, [&](ThreadState& thread) -> jobject {
    ClassInfo* cls = ClassArg(thread, clazz, function);
    MethodInfo* constructor = MethodArg(id, function);
    if (constructor->name != "<init>" || constructor->owner != cls) {
      throw Misuse{std::string(function) + " of " + cls->name + " with " + constructor->owner->name + "." +
                   constructor->name + constructor->signature};
    }
    std::vector<Value> args = ReadArguments(thread, constructor, va, array, fromArray, function);
    if (cls->isAbstract) ThrowJava("java/lang/InstantiationException", DottedName(cls));
    ObjPtr obj = NewObjectOf(cls);
    Invoke(thread, constructor, CallKind::Nonvirtual, cls, obj, args);
    return jvmdouble::NewLocalRef(thread, obj);
  });
}

jobject JNICALL NewObjectV(JNIEnv* env, jclass clazz, jmethodID id, va_list args) {
  return NewObjectCommon(env, clazz, id, &args, nullptr, false, "NewObjectV");
}

jobject JNICALL NewObjectA(JNIEnv* env, jclass clazz, jmethodID id, const jvalue* args) {
  return NewObjectCommon(env, clazz, id, nullptr, args, true, "NewObjectA");
}

jobject JNICALL NewObject(JNIEnv* env, jclass clazz, jmethodID id, ...) {
  va_list args;
  va_start(args, id);
  VaEnd end{args};
  return NewObjectCommon(env, clazz, id, &args, nullptr, false, "NewObject");
}

jclass JNICALL GetObjectClass(JNIEnv* env, jobject obj) {
  return Guarded<jclass>(env, "GetObjectClass", false, [&](ThreadState& thread) {
    ObjPtr object = Resolve(thread, obj, "GetObjectClass");
    if (!object) throw Misuse{"GetObjectClass of null"};
    return static_cast<jclass>(jvmdouble::NewLocalRef(thread, object->cls->mirror));
  });
}

jboolean JNICALL IsInstanceOf(JNIEnv* env, jobject obj, jclass clazz) {
  return Guarded<jboolean>(env, "IsInstanceOf", false, [&](ThreadState& thread) -> jboolean {
    ObjPtr object = Resolve(thread, obj, "IsInstanceOf");
    ClassInfo* cls = ClassArg(thread, clazz, "IsInstanceOf");
    return !object || IsSubclass(object->cls, cls);
  });
}

jmethodID MethodIdCommon(JNIEnv* env, jclass clazz, const char* name, const char* signature, bool isStatic,
                         const char* function) {
  return Guarded<jmethodID>(env, function, false, [&](ThreadState& thread) -> jmethodID {
    ClassInfo* cls = ClassArg(thread, clazz, function);
    if (!name || !signature) throw Misuse{std::string(function) + " with a null name or signature"};
    MethodInfo* method = FindMethod(cls, name, signature, isStatic);
    if (!method) {
      // The message of OpenJDK 17: "static Ltest/NoMain;.main([Ljava/lang/String;)V".
      std::string classSignature = cls->name[0] == '[' ? cls->name : "L" + cls->name + ";";
      ThrowJava("java/lang/NoSuchMethodError",
                DecodeModifiedUtf8(std::string(isStatic ? "static " : "") + classSignature + "." + name + signature));
    }
    return reinterpret_cast<jmethodID>(method);
  });
}

jmethodID JNICALL GetMethodID(JNIEnv* env, jclass clazz, const char* name, const char* signature) {
  return MethodIdCommon(env, clazz, name, signature, false, "GetMethodID");
}

jmethodID JNICALL GetStaticMethodID(JNIEnv* env, jclass clazz, const char* name, const char* signature) {
  return MethodIdCommon(env, clazz, name, signature, true, "GetStaticMethodID");
}

#define JNI_CALL_FAMILY(Type, R)                                                                                     \
  R JNICALL Call##Type##MethodV(JNIEnv* env, jobject obj, jmethodID id, va_list args) {                             \
    return CallCommon<R>(env, CallKind::Virtual, obj, nullptr, id, &args, nullptr, false, "Call" #Type "MethodV");  \
  }                                                                                                                  \
  R JNICALL Call##Type##MethodA(JNIEnv* env, jobject obj, jmethodID id, const jvalue* args) {                       \
    return CallCommon<R>(env, CallKind::Virtual, obj, nullptr, id, nullptr, args, true, "Call" #Type "MethodA");    \
  }                                                                                                                  \
  R JNICALL Call##Type##Method(JNIEnv* env, jobject obj, jmethodID id, ...) {                                       \
    va_list args;                                                                                                    \
    va_start(args, id);                                                                                              \
    VaEnd end{args};                                                                                                 \
    return CallCommon<R>(env, CallKind::Virtual, obj, nullptr, id, &args, nullptr, false, "Call" #Type "Method");   \
  }                                                                                                                  \
  R JNICALL CallNonvirtual##Type##MethodV(JNIEnv* env, jobject obj, jclass cls, jmethodID id, va_list args) {       \
    return CallCommon<R>(env, CallKind::Nonvirtual, obj, cls, id, &args, nullptr, false,                            \
                         "CallNonvirtual" #Type "MethodV");                                                          \
  }                                                                                                                  \
  R JNICALL CallNonvirtual##Type##MethodA(JNIEnv* env, jobject obj, jclass cls, jmethodID id, const jvalue* args) { \
    return CallCommon<R>(env, CallKind::Nonvirtual, obj, cls, id, nullptr, args, true,                              \
                         "CallNonvirtual" #Type "MethodA");                                                          \
  }                                                                                                                  \
  R JNICALL CallNonvirtual##Type##Method(JNIEnv* env, jobject obj, jclass cls, jmethodID id, ...) {                 \
    va_list args;                                                                                                    \
    va_start(args, id);                                                                                              \
    VaEnd end{args};                                                                                                 \
    return CallCommon<R>(env, CallKind::Nonvirtual, obj, cls, id, &args, nullptr, false,                            \
                         "CallNonvirtual" #Type "Method");                                                           \
  }                                                                                                                  \
  R JNICALL CallStatic##Type##MethodV(JNIEnv* env, jclass cls, jmethodID id, va_list args) {                        \
    return CallCommon<R>(env, CallKind::Static, cls, nullptr, id, &args, nullptr, false, "CallStatic" #Type "MethodV"); \
  }                                                                                                                  \
  R JNICALL CallStatic##Type##MethodA(JNIEnv* env, jclass cls, jmethodID id, const jvalue* args) {                  \
    return CallCommon<R>(env, CallKind::Static, cls, nullptr, id, nullptr, args, true, "CallStatic" #Type "MethodA"); \
  }                                                                                                                  \
  R JNICALL CallStatic##Type##Method(JNIEnv* env, jclass cls, jmethodID id, ...) {                                  \
    va_list args;                                                                                                    \
    va_start(args, id);                                                                                              \
    VaEnd end{args};                                                                                                 \
    return CallCommon<R>(env, CallKind::Static, cls, nullptr, id, &args, nullptr, false, "CallStatic" #Type "Method"); \
  }

JNI_CALL_FAMILY(Object, jobject)
JNI_CALL_FAMILY(Boolean, jboolean)
JNI_CALL_FAMILY(Byte, jbyte)
JNI_CALL_FAMILY(Char, jchar)
JNI_CALL_FAMILY(Short, jshort)
JNI_CALL_FAMILY(Int, jint)
JNI_CALL_FAMILY(Long, jlong)
JNI_CALL_FAMILY(Float, jfloat)
JNI_CALL_FAMILY(Double, jdouble)
JNI_CALL_FAMILY(Void, void)
#undef JNI_CALL_FAMILY

jstring JNICALL NewString(JNIEnv* env, const jchar* unicode, jsize length) {
  return Guarded<jstring>(env, "NewString", false, [&](ThreadState& thread) {
    if (length < 0 || (!unicode && length > 0)) throw Misuse{"NewString with a bad buffer or length"};
    std::u16string text(reinterpret_cast<const char16_t*>(unicode), reinterpret_cast<const char16_t*>(unicode) + length);
    return static_cast<jstring>(jvmdouble::NewLocalRef(thread, jvmdouble::NewString(std::move(text))));
  });
}

jsize JNICALL GetStringLength(JNIEnv* env, jstring str) {
  return Guarded<jsize>(env, "GetStringLength", false, [&](ThreadState& thread) {
    return static_cast<jsize>(StringArg(thread, str, "GetStringLength")->text.size());
  });
}

const jchar* JNICALL GetStringChars(JNIEnv* env, jstring str, jboolean* isCopy) {
  return Guarded<const jchar*>(env, "GetStringChars", false, [&](ThreadState& thread) {
    const std::u16string& text = StringArg(thread, str, "GetStringChars")->text;
    char* buffer = NewBuffer((text.size() + 1) * sizeof(jchar));
    std::copy(text.begin(), text.end(), reinterpret_cast<char16_t*>(buffer));
    reinterpret_cast<char16_t*>(buffer)[text.size()] = 0;
    if (isCopy) *isCopy = JNI_TRUE;
    return reinterpret_cast<const jchar*>(buffer);
  });
}

void JNICALL ReleaseStringChars(JNIEnv* env, jstring str, const jchar* chars) {
  Guarded<void>(env, "ReleaseStringChars", true, [&](ThreadState& thread) {
    StringArg(thread, str, "ReleaseStringChars");
    ReleaseBuffer(chars, "ReleaseStringChars");
  });
}

jstring JNICALL NewStringUTF(JNIEnv* env, const char* utf) {
  return Guarded<jstring>(env, "NewStringUTF", false, [&](ThreadState& thread) -> jstring {
    if (!utf) return nullptr;
    return static_cast<jstring>(jvmdouble::NewLocalRef(thread, jvmdouble::NewString(DecodeModifiedUtf8(utf))));
  });
}

jsize JNICALL GetStringUTFLength(JNIEnv* env, jstring str) {
  return Guarded<jsize>(env, "GetStringUTFLength", false, [&](ThreadState& thread) {
    return static_cast<jsize>(ModifiedUtf8(StringArg(thread, str, "GetStringUTFLength")->text).size());
  });
}

const char* JNICALL GetStringUTFChars(JNIEnv* env, jstring str, jboolean* isCopy) {
  return Guarded<const char*>(env, "GetStringUTFChars", false, [&](ThreadState& thread) {
    std::string bytes = ModifiedUtf8(StringArg(thread, str, "GetStringUTFChars")->text);
    char* buffer = NewBuffer(bytes.size() + 1);
    std::copy(bytes.begin(), bytes.end(), buffer);
    buffer[bytes.size()] = 0;
    if (isCopy) *isCopy = JNI_TRUE;
    return static_cast<const char*>(buffer);
  });
}

void JNICALL ReleaseStringUTFChars(JNIEnv* env, jstring str, const char* chars) {
  Guarded<void>(env, "ReleaseStringUTFChars", true, [&](ThreadState& thread) {
    StringArg(thread, str, "ReleaseStringUTFChars");
    ReleaseBuffer(chars, "ReleaseStringUTFChars");
  });
}

void JNICALL GetStringRegion(JNIEnv* env, jstring str, jsize start, jsize length, jchar* buffer) {
  Guarded<void>(env, "GetStringRegion", false, [&](ThreadState& thread) {
    const std::u16string& text = StringArg(thread, str, "GetStringRegion")->text;
    CheckRegion(start, length, text.size(), "java/lang/StringIndexOutOfBoundsException");
    std::copy(text.begin() + start, text.begin() + start + length, reinterpret_cast<char16_t*>(buffer));
  });
}

void JNICALL GetStringUTFRegion(JNIEnv* env, jstring str, jsize start, jsize length, char* buffer) {
  Guarded<void>(env, "GetStringUTFRegion", false, [&](ThreadState& thread) {
    const std::u16string& text = StringArg(thread, str, "GetStringUTFRegion")->text;
    CheckRegion(start, length, text.size(), "java/lang/StringIndexOutOfBoundsException");
    std::string bytes = ModifiedUtf8(std::u16string_view(text).substr(start, length));
    std::copy(bytes.begin(), bytes.end(), buffer);
    buffer[bytes.size()] = 0;
  });
}

jsize JNICALL GetArrayLength(JNIEnv* env, jarray array) {
  return Guarded<jsize>(env, "GetArrayLength", false, [&](ThreadState& thread) {
    ObjPtr obj = ArrayArg(thread, array, nullptr, "GetArrayLength");
    return static_cast<jsize>(obj->cls->name == "[C" ? obj->chars.size() : obj->elements.size());
  });
}

jobjectArray JNICALL NewObjectArray(JNIEnv* env, jsize length, jclass elementClass, jobject initial) {
  return Guarded<jobjectArray>(env, "NewObjectArray", false, [&](ThreadState& thread) {
    ClassInfo* element = ClassArg(thread, elementClass, "NewObjectArray");
    ObjPtr init = Resolve(thread, initial, "NewObjectArray");
    if (length < 0) ThrowJava("java/lang/NegativeArraySizeException", U16FromAscii(std::to_string(length)));
    if (init && !IsSubclass(init->cls, element)) throw Misuse{"NewObjectArray with an initial element of another class"};
    ClassInfo* arrayClass =
        FindClassInfo(element->name[0] == '[' ? "[" + element->name : "[L" + element->name + ";");
    if (!arrayClass) throw Misuse{"NewObjectArray of " + element->name};
    ObjPtr array = NewObjectOf(arrayClass);
    array->elements.assign(static_cast<size_t>(length), init);
    return static_cast<jobjectArray>(jvmdouble::NewLocalRef(thread, array));
  });
}

jobject JNICALL GetObjectArrayElement(JNIEnv* env, jobjectArray array, jsize index) {
  return Guarded<jobject>(env, "GetObjectArrayElement", false, [&](ThreadState& thread) {
    ObjPtr obj = ArrayArg(thread, array, nullptr, "GetObjectArrayElement");
    if (obj->cls->name.size() == 2) throw Misuse{"GetObjectArrayElement of a " + obj->cls->name};
    if (index < 0 || static_cast<size_t>(index) >= obj->elements.size()) {
      ThrowJava("java/lang/ArrayIndexOutOfBoundsException",
                u"Index " + U16FromAscii(std::to_string(index)) + u" out of bounds for length " +
                    U16FromAscii(std::to_string(obj->elements.size())));
    }
    return jvmdouble::NewLocalRef(thread, obj->elements[index]);
  });
}

void JNICALL SetObjectArrayElement(JNIEnv* env, jobjectArray array, jsize index, jobject value) {
  Guarded<void>(env, "SetObjectArrayElement", false, [&](ThreadState& thread) {
    ObjPtr obj = ArrayArg(thread, array, nullptr, "SetObjectArrayElement");
    if (obj->cls->name.size() == 2) throw Misuse{"SetObjectArrayElement of a " + obj->cls->name};
    ObjPtr element = Resolve(thread, value, "SetObjectArrayElement");
    if (index < 0 || static_cast<size_t>(index) >= obj->elements.size()) {
      ThrowJava("java/lang/ArrayIndexOutOfBoundsException",
                u"Index " + U16FromAscii(std::to_string(index)) + u" out of bounds for length " +
                    U16FromAscii(std::to_string(obj->elements.size())));
    }
    if (element && obj->cls->component && !IsSubclass(element->cls, obj->cls->component)) {
      ThrowJava("java/lang/ArrayStoreException", u"type mismatch: can not store " + DottedName(element->cls) +
                                                     u" to " + DottedName(obj->cls->component) + u"[" +
                                                     U16FromAscii(std::to_string(index)) + u"]");
    }
    obj->elements[index] = element;
  });
}

jcharArray JNICALL NewCharArray(JNIEnv* env, jsize length) {
  return Guarded<jcharArray>(env, "NewCharArray", false, [&](ThreadState& thread) {
    if (length < 0) ThrowJava("java/lang/NegativeArraySizeException", U16FromAscii(std::to_string(length)));
    ObjPtr array = NewObjectOf(ClassOf("[C"));
    array->chars.assign(static_cast<size_t>(length), 0);
    return static_cast<jcharArray>(jvmdouble::NewLocalRef(thread, array));
  });
}

void JNICALL GetCharArrayRegion(JNIEnv* env, jcharArray array, jsize start, jsize length, jchar* buffer) {
  Guarded<void>(env, "GetCharArrayRegion", false, [&](ThreadState& thread) {
    ObjPtr obj = ArrayArg(thread, array, "[C", "GetCharArrayRegion");
    CheckRegion(start, length, obj->chars.size(), "java/lang/ArrayIndexOutOfBoundsException");
    if (length > 0 && !buffer) throw Misuse{"GetCharArrayRegion into a null buffer"};
    std::copy(obj->chars.begin() + start, obj->chars.begin() + start + length, reinterpret_cast<char16_t*>(buffer));
  });
}

void JNICALL SetCharArrayRegion(JNIEnv* env, jcharArray array, jsize start, jsize length, const jchar* buffer) {
  Guarded<void>(env, "SetCharArrayRegion", false, [&](ThreadState& thread) {
    ObjPtr obj = ArrayArg(thread, array, "[C", "SetCharArrayRegion");
    CheckRegion(start, length, obj->chars.size(), "java/lang/ArrayIndexOutOfBoundsException");
    if (length > 0 && !buffer) throw Misuse{"SetCharArrayRegion from a null buffer"};
    std::copy(reinterpret_cast<const char16_t*>(buffer), reinterpret_cast<const char16_t*>(buffer) + length,
              obj->chars.begin() + start);
  });
}

jint JNICALL GetJavaVM(JNIEnv* env, JavaVM** vm) {
  return Guarded<jint>(env, "GetJavaVM", true, [&](ThreadState&) -> jint {
    if (!vm) throw Misuse{"GetJavaVM into a null pointer"};
    *vm = TheJavaVm();
    return JNI_OK;
  });
}

jboolean JNICALL ExceptionCheck(JNIEnv* env) {
  return Guarded<jboolean>(env, "ExceptionCheck", true,
                           [&](ThreadState& thread) -> jboolean { return thread.pending ? JNI_TRUE : JNI_FALSE; });
}

jobjectRefType JNICALL GetObjectRefType(JNIEnv* env, jobject obj) {
  return Guarded<jobjectRefType>(env, "GetObjectRefType", true, [&](ThreadState&) {
    switch (KindOf(obj)) {
      case RefKind::Local: return JNILocalRefType;
      case RefKind::Global: return JNIGlobalRefType;
      default: return JNIInvalidRefType;
    }
  });
}

}  // namespace impl

namespace {

void Unimplemented(JNIEnv* env, const char* name) {
  try {
    size_t index = 0;
    while (index < kSlotCount && std::string_view(kSlotNames[index]) != name) ++index;
    Record(std::string("unimplemented ") + name + " index=" + std::to_string(index));
    ThreadState* thread = CurrentThread();
    if (thread && env == reinterpret_cast<JNIEnv*>(&thread->env) && !thread->pending) {
      SetPending(*thread, NewThrowable("java/lang/UnsupportedOperationException",
                                       u"the JNI function " + U16FromAscii(name) + u" is not implemented by the double"));
    }
  } catch (...) {
  }
}

#define JNI_RESERVED(n)
#define JNI_SLOT(name, kind) JNI_STUB_##kind(name)
#define JNI_STUB_P(name)                                         \
  void* JNICALL Unimplemented_##name(JNIEnv* env) {               \
    Unimplemented(env, #name);                                    \
    return nullptr;                                               \
  }
#define JNI_STUB_F(name)                                         \
  jfloat JNICALL Unimplemented_##name(JNIEnv* env) {              \
    Unimplemented(env, #name);                                    \
    return 0;                                                     \
  }
#define JNI_STUB_D(name)                                         \
  jdouble JNICALL Unimplemented_##name(JNIEnv* env) {             \
    Unimplemented(env, #name);                                    \
    return 0;                                                     \
  }
#define JNI_STUB_V(name) \
  void JNICALL Unimplemented_##name(JNIEnv* env) { Unimplemented(env, #name); }
#include "jni_slots.inc"
#undef JNI_SLOT
#undef JNI_RESERVED

JNINativeInterface_ BuildTable() {
  JNINativeInterface_ table{};
  // Every slot is a distinct stub first (the x64 calling convention lets a
  // function that reads only the JNIEnv stand in for any signature).
  void** slots = reinterpret_cast<void**>(&table);
  size_t index = 0;
#define JNI_RESERVED(n) slots[index++] = nullptr;
#define JNI_SLOT(name, kind) slots[index++] = reinterpret_cast<void*>(&Unimplemented_##name);
#include "jni_slots.inc"
#undef JNI_SLOT
#undef JNI_RESERVED

#define SET(name) table.name = &impl::name;
  SET(GetVersion) SET(FindClass) SET(GetSuperclass) SET(IsAssignableFrom) SET(Throw) SET(ThrowNew)
  SET(ExceptionOccurred) SET(ExceptionDescribe) SET(ExceptionClear) SET(FatalError) SET(PushLocalFrame)
  SET(PopLocalFrame) SET(NewGlobalRef) SET(DeleteGlobalRef) SET(DeleteLocalRef) SET(IsSameObject) SET(NewLocalRef)
  SET(EnsureLocalCapacity) SET(NewObject) SET(NewObjectV) SET(NewObjectA) SET(GetObjectClass) SET(IsInstanceOf)
  SET(GetMethodID) SET(GetStaticMethodID)
#define SET_CALLS(Type)                                                                             \
  SET(Call##Type##Method) SET(Call##Type##MethodV) SET(Call##Type##MethodA)                           \
  SET(CallNonvirtual##Type##Method) SET(CallNonvirtual##Type##MethodV) SET(CallNonvirtual##Type##MethodA) \
  SET(CallStatic##Type##Method) SET(CallStatic##Type##MethodV) SET(CallStatic##Type##MethodA)
  SET_CALLS(Object) SET_CALLS(Boolean) SET_CALLS(Byte) SET_CALLS(Char) SET_CALLS(Short) SET_CALLS(Int)
  SET_CALLS(Long) SET_CALLS(Float) SET_CALLS(Double) SET_CALLS(Void)
#undef SET_CALLS
  SET(NewString) SET(GetStringLength) SET(GetStringChars) SET(ReleaseStringChars) SET(NewStringUTF)
  SET(GetStringUTFLength) SET(GetStringUTFChars) SET(ReleaseStringUTFChars) SET(GetStringRegion)
  SET(GetStringUTFRegion) SET(GetArrayLength) SET(NewObjectArray) SET(GetObjectArrayElement)
  SET(SetObjectArrayElement) SET(NewCharArray) SET(GetCharArrayRegion) SET(SetCharArrayRegion) SET(GetJavaVM)
  SET(ExceptionCheck) SET(GetObjectRefType)
#undef SET
  return table;
}

}  // namespace

const JNINativeInterface_* FunctionTable() {
  static const JNINativeInterface_ table = BuildTable();
  return &table;
}

}  // namespace jvmdouble
