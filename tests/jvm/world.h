// The simulated Java world of the test-double jvm.dll: objects, classes and
// methods, threads with their local references and pending exceptions, the
// standard streams, and the state of the one virtual machine per process.
#pragma once

#include <windows.h>

#include <jni.h>

#include <cstdarg>
#include <cstdio>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace jvmdouble {

struct ClassInfo;
struct Object;
struct ThreadState;
using ObjPtr = std::shared_ptr<Object>;

// Where the bytes of an output stream end.
class Sink {
 public:
  virtual ~Sink() = default;
  virtual void Write(const std::string& bytes) = 0;
  virtual std::u16string Describe() const = 0;  // for the record
};

// A file: owned (FileOutputStream of a path) or one of the process's standard handles.
class HandleSink : public Sink {
 public:
  HandleSink(HANDLE handle, bool owned, std::u16string description);
  // The current standard handle (STD_OUTPUT_HANDLE / STD_ERROR_HANDLE) at every write.
  explicit HandleSink(DWORD standardHandle);
  ~HandleSink() override;
  void Write(const std::string& bytes) override;
  std::u16string Describe() const override { return description_; }

 private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  bool owned_ = false;
  DWORD standard_ = 0;
  std::u16string description_;
  std::mutex mutex_;
};

class BufferSink : public Sink {
 public:
  void Write(const std::string& bytes) override;
  std::u16string Describe() const override { return u"<buffer>"; }
  std::string Bytes();

 private:
  std::string bytes_;
  std::mutex mutex_;
};

struct Object {
  ClassInfo* cls = nullptr;
  std::u16string text;              // java.lang.String
  std::vector<char16_t> chars;      // char[]
  std::vector<ObjPtr> elements;     // arrays of references
  ClassInfo* mirrorOf = nullptr;    // java.lang.Class
  bool hasMessage = false;          // java.lang.Throwable
  std::u16string message;
  ObjPtr cause;
  std::vector<std::string> frames;  // "test.Throws.main(Throws.java:7)"
  std::shared_ptr<Sink> sink;       // FileOutputStream, ByteArrayOutputStream
  ObjPtr target;                    // PrintStream: the stream it writes to
};

struct Value {
  jvalue prim{};
  ObjPtr obj;
};

using Impl = std::function<Value(ThreadState& thread, const ObjPtr& self, const std::vector<Value>& args)>;

struct MethodInfo {
  ClassInfo* owner = nullptr;
  std::string name;
  std::string signature;
  bool isStatic = false;
  std::vector<std::string> params;  // type descriptors: "I", "Ljava/lang/String;", "[C"
  std::string result;               // "V", "I", "Ljava/lang/String;"
  Impl impl;
};

struct ClassInfo {
  std::string name;  // with "/" separators, "[C" for arrays
  ClassInfo* super = nullptr;
  ClassInfo* component = nullptr;  // arrays
  bool isAbstract = false;
  std::deque<MethodInfo> methods;
  ObjPtr mirror;
};

// A Java exception travelling through the simulated Java code; the JNI
// entry points turn it into the thread's pending exception.
struct JavaThrow {
  ObjPtr throwable;
};

// A JNI misuse: recorded, and the JNI call fails.
struct Misuse {
  std::string text;
};

enum class RefKind { Local, Global, Deleted };

struct Ref {
  ObjPtr obj;
  RefKind kind = RefKind::Local;
  ThreadState* owner = nullptr;
};

struct ThreadState {
  JNIEnv_ env{};  // first member: a JNIEnv* points here
  DWORD osId = 0;
  HANDLE osThread = nullptr;  // to notice a thread that ended while attached
  std::string name;
  bool daemon = false;
  bool attached = true;
  bool app = false;  // started by a simulated Java class
  ObjPtr pending;
  std::vector<std::vector<Ref*>> frames;  // local frames, innermost last
};

// ---- classes and objects ----
ClassInfo* FindClassInfo(const std::string& name);  // null when unknown
ClassInfo* ClassOf(const std::string& name);        // known classes only; Misuse otherwise
ClassInfo* DefineClass(const std::string& name, const std::string& super, bool isAbstract = false);
void AddMethod(ClassInfo* cls, const std::string& name, const std::string& signature, bool isStatic, Impl impl);
MethodInfo* FindMethod(ClassInfo* cls, const std::string& name, const std::string& signature, bool isStatic);
bool IsSubclass(const ClassInfo* sub, const ClassInfo* super);
bool IsValidMethod(const MethodInfo* method);
void DefineClasses();  // classes.cpp

ObjPtr NewObjectOf(ClassInfo* cls);
ObjPtr NewString(std::u16string text);
ObjPtr NewThrowable(const std::string& className, std::optional<std::u16string> message, ObjPtr cause = nullptr,
                    std::vector<std::string> frames = {});
[[noreturn]] void ThrowJava(const std::string& className, std::optional<std::u16string> message,
                            ObjPtr cause = nullptr, std::vector<std::string> frames = {});
std::u16string DottedName(const ClassInfo* cls);
std::u16string ThrowableToString(const ObjPtr& throwable);
std::u16string StackTraceText(const ObjPtr& throwable);  // lines end with "\r\n"

// Calls a method with the dispatch and the checks of the real VM.
enum class CallKind { Virtual, Nonvirtual, Static };
Value Invoke(ThreadState& thread, MethodInfo* method, CallKind kind, ClassInfo* cls, const ObjPtr& self,
             const std::vector<Value>& args);

// ---- streams ----
void WriteBytes(const ObjPtr& outputStream, const std::string& bytes);
void PrintText(const ObjPtr& printStream, std::u16string_view text);  // encoded as UTF-8
void PrintLine(const ObjPtr& printStream, std::u16string_view text);  // plus "\r\n"
ObjPtr SystemOut();
ObjPtr SystemErr();
void SetSystemOut(const ObjPtr& printStream);
void SetSystemErr(const ObjPtr& printStream);
std::u16string DescribeStream(const ObjPtr& printStream);
void WriteNativeStderr(const std::string& bytes);

// ---- threads and references ----
ThreadState* CurrentThread();  // null when the calling thread is not attached
// Attaches the calling thread; a null name gives "Thread-<n>".
ThreadState& AttachThread(const char* name, bool daemon);
void DetachThread(ThreadState& thread);
// Starts a simulated Java thread (non-daemon) that runs `body`; the VM
// counts it before this returns, as Thread.start does.
void StartJavaThread(std::function<void()> body);
// Waits until the calling thread is the last non-daemon thread.
void WaitForNonDaemonThreads(ThreadState& self);

jobject NewLocalRef(ThreadState& thread, const ObjPtr& obj);
jobject NewGlobalRef(const ObjPtr& obj);
ObjPtr Resolve(ThreadState& thread, jobject ref, const char* function);
void DeleteRef(ThreadState& thread, jobject ref, RefKind expected, const char* function);
RefKind KindOf(jobject ref);  // Deleted for anything unknown
void PushFrame(ThreadState& thread);
ObjPtr PopFrame(ThreadState& thread, jobject result, const char* function);

// Sets the pending exception and records it.
void SetPending(ThreadState& thread, const ObjPtr& throwable);
// ExceptionDescribe: the prefix to native stderr, the trace through System.err.
void DescribeAndClear(ThreadState& thread);

// ---- the virtual machine ----
enum class VmState { None, Created, Destroyed };
struct VmConfig {
  void(JNICALL* exitHook)(jint) = nullptr;
  void(JNICALL* abortHook)() = nullptr;
  jint(JNICALL* vfprintfHook)(FILE*, const char*, va_list) = nullptr;
  std::string classPath;
  // The archive the VM writes at its end, as HotSpot does for
  // -XX:ArchiveClassesAtExit, -XX:AOTCacheOutput, or -XX:+AutoCreateSharedArchive
  // with a -XX:SharedArchiveFile that is not there; empty: none.
  std::string archive;
  std::uint32_t archiveMagic = 0;
  bool archiveReadOnly = false;  // OpenJDK 17 makes its dynamic archive read-only
  // The boot layer's modules of the module path, with the main class their
  // descriptor names (empty: none).
  std::map<std::string, std::string> bootModules;
  // Not empty: instead of writing the archive, the VM says this and aborts.
  std::string archiveRefusal;
};
// Sets the archive of VmConfig from the options as HotSpot reads them
// (JAVA_TOOL_OPTIONS, the launcher's, _JAVA_OPTIONS); what it says when it
// refuses them at creation (and aborts), or "" (sharing.cpp).
std::string ConfigureSharing(const std::vector<std::string>& launcherOptions);
// Writes the archive of VmConfig (DestroyJavaVM, System.exit before the hook),
// or says its refusal, calls the abort hook and ends the process with 1.
void WriteArchiveAtExit();
VmState GetVmState();
// Waits (at most two minutes) for the event named by the environment variable
// `variable`; returns at once when it is not set, or when it names no event
// and `createWhenMissing` is false (otherwise a manual-reset event is made).
// The gates VORN_DOUBLE_CREATE_GATE and VORN_DOUBLE_SECONDARY_GATE hold the
// VM's creation and "secondaryMain" this way.
void WaitForEventNamedBy(const wchar_t* variable, bool createWhenMissing = false);
void SetVmState(VmState state);
VmConfig& Config();
JavaVM* TheJavaVm();
const JNINativeInterface_* FunctionTable();  // jni_env.cpp
// System.exit: the exit hook on a VM thread of its own, then ExitProcess; never returns.
[[noreturn]] void ExitVm(jint code);
[[noreturn]] void AbortVm(const std::string& message);


// Records "main"/"secondaryMain" with the arguments of a String[].
void RecordMainCall(const std::string& what, const ObjPtr& array);

}  // namespace jvmdouble
