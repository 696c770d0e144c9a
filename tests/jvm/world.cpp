// The simulated Java world: classes, objects, threads, references, streams.
#include "world.h"

#include <condition_variable>
#include <utility>
#include <map>
#include <set>
#include <unordered_set>

#include "double_record.h"
#include "text.h"

namespace jvmdouble {

namespace {

// Guards the registries below (never held while simulated Java code runs).
std::recursive_mutex worldMutex;
std::condition_variable_any threadsChanged;

std::map<std::string, std::unique_ptr<ClassInfo>>& Classes() {
  static std::map<std::string, std::unique_ptr<ClassInfo>> classes;
  return classes;
}
std::unordered_set<const MethodInfo*> allMethods;
// References are never freed, so that a deleted one is recognised as such.
std::unordered_set<const Ref*> allRefs;
std::vector<std::unique_ptr<ThreadState>> allThreads;  // never freed, for the same reason
thread_local ThreadState* currentThread = nullptr;
int threadNumber = 0;

VmState vmState = VmState::None;
ObjPtr systemOut;
ObjPtr systemErr;

std::vector<std::string> ParseParams(const std::string& signature, std::string& result) {
  std::vector<std::string> params;
  size_t i = 1;
  while (i < signature.size() && signature[i] != ')') {
    size_t start = i;
    while (signature[i] == '[') ++i;
    if (signature[i] == 'L') i = signature.find(';', i);
    ++i;
    params.push_back(signature.substr(start, i - start));
  }
  result = signature.substr(i + 1);
  return params;
}

ClassInfo* MakeArrayClass(const std::string& name) {
  // Called with worldMutex held: "[C", "[Ljava/lang/String;", "[[C".
  std::string componentName = name.substr(1);
  ClassInfo* component = nullptr;
  if (componentName.size() == 1) {
    if (componentName != "C" && componentName != "B" && componentName != "I" && componentName != "Z" &&
        componentName != "J" && componentName != "S" && componentName != "F" && componentName != "D") {
      return nullptr;
    }
  } else if (componentName[0] == '[') {
    component = FindClassInfo(componentName);
  } else if (componentName[0] == 'L' && componentName.back() == ';') {
    component = FindClassInfo(componentName.substr(1, componentName.size() - 2));
  }
  if (componentName.size() > 1 && !component) return nullptr;
  ClassInfo* cls = DefineClass(name, "java/lang/Object");
  cls->component = component;
  return cls;
}

bool IsAssignableValue(const Object* obj, const std::string& descriptor) {
  if (!obj) return true;
  if (descriptor[0] == 'L') {
    ClassInfo* wanted = FindClassInfo(descriptor.substr(1, descriptor.size() - 2));
    return wanted && IsSubclass(obj->cls, wanted);
  }
  if (descriptor[0] == '[') {
    ClassInfo* wanted = FindClassInfo(descriptor);
    return wanted && IsSubclass(obj->cls, wanted);
  }
  return false;
}

}  // namespace

// ---------------------------------------------------------------- sinks

HandleSink::HandleSink(HANDLE handle, bool owned, std::u16string description)
    : handle_(handle), owned_(owned), description_(std::move(description)) {}

HandleSink::HandleSink(DWORD standardHandle)
    : standard_(standardHandle), description_(standardHandle == STD_OUTPUT_HANDLE ? u"<stdout>" : u"<stderr>") {}

HandleSink::~HandleSink() {
  if (owned_ && handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
}

void HandleSink::Write(const std::string& bytes) {
  std::lock_guard lock(mutex_);
  HANDLE handle = standard_ ? GetStdHandle(standard_) : handle_;
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE || bytes.empty()) return;
  DWORD written = 0;
  WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

void BufferSink::Write(const std::string& bytes) {
  std::lock_guard lock(mutex_);
  bytes_ += bytes;
}

std::string BufferSink::Bytes() {
  std::lock_guard lock(mutex_);
  return bytes_;
}

// ---------------------------------------------------------------- classes

ClassInfo* FindClassInfo(const std::string& name) {
  std::lock_guard lock(worldMutex);
  auto found = Classes().find(name);
  if (found != Classes().end()) return found->second.get();
  if (!name.empty() && name[0] == '[') return MakeArrayClass(name);
  return nullptr;
}

ClassInfo* ClassOf(const std::string& name) {
  ClassInfo* cls = FindClassInfo(name);
  if (!cls) throw Misuse{"the double has no class " + name};
  return cls;
}

ClassInfo* DefineClass(const std::string& name, const std::string& super, bool isAbstract) {
  std::lock_guard lock(worldMutex);
  auto cls = std::make_unique<ClassInfo>();
  cls->name = name;
  cls->super = super.empty() ? nullptr : Classes().at(super).get();
  cls->isAbstract = isAbstract;
  ClassInfo* raw = cls.get();
  Classes()[name] = std::move(cls);
  auto mirror = std::make_shared<Object>();
  mirror->mirrorOf = raw;
  auto classClass = Classes().find("java/lang/Class");
  mirror->cls = classClass == Classes().end() ? nullptr : classClass->second.get();
  raw->mirror = mirror;
  return raw;
}

void AddMethod(ClassInfo* cls, const std::string& name, const std::string& signature, bool isStatic, Impl impl) {
  std::lock_guard lock(worldMutex);
  MethodInfo& method = cls->methods.emplace_back();
  method.owner = cls;
  method.name = name;
  method.signature = signature;
  method.isStatic = isStatic;
  method.params = ParseParams(signature, method.result);
  method.impl = std::move(impl);
  allMethods.insert(&method);
}

MethodInfo* FindMethod(ClassInfo* cls, const std::string& name, const std::string& signature, bool isStatic) {
  std::lock_guard lock(worldMutex);
  for (ClassInfo* c = cls; c; c = c->super) {
    for (MethodInfo& method : c->methods) {
      if (method.name == name && method.signature == signature && method.isStatic == isStatic) return &method;
    }
    if (name == "<init>") break;  // constructors are not inherited
  }
  return nullptr;
}

bool IsSubclass(const ClassInfo* sub, const ClassInfo* super) {
  if (!sub || !super) return false;
  if (super->name == "java/lang/Object") return true;
  for (const ClassInfo* c = sub; c; c = c->super) {
    if (c == super) return true;
  }
  if (sub->name[0] == '[' && super->name[0] == '[' && sub->component && super->component) {
    return IsSubclass(sub->component, super->component);
  }
  return false;
}

bool IsValidMethod(const MethodInfo* method) {
  std::lock_guard lock(worldMutex);
  return allMethods.count(method) != 0;
}

ObjPtr NewObjectOf(ClassInfo* cls) {
  auto obj = std::make_shared<Object>();
  obj->cls = cls;
  return obj;
}

ObjPtr NewString(std::u16string text) {
  ObjPtr obj = NewObjectOf(ClassOf("java/lang/String"));
  obj->text = std::move(text);
  return obj;
}

ObjPtr NewThrowable(const std::string& className, std::optional<std::u16string> message, ObjPtr cause,
                    std::vector<std::string> frames) {
  ObjPtr obj = NewObjectOf(ClassOf(className));
  obj->hasMessage = message.has_value();
  obj->message = message.value_or(u"");
  obj->cause = std::move(cause);
  obj->frames = std::move(frames);
  return obj;
}

void ThrowJava(const std::string& className, std::optional<std::u16string> message, ObjPtr cause,
               std::vector<std::string> frames) {
  throw JavaThrow{NewThrowable(className, std::move(message), std::move(cause), std::move(frames))};
}

std::u16string DottedName(const ClassInfo* cls) {
  std::u16string name = U16FromAscii(cls->name);
  for (char16_t& c : name) {
    if (c == u'/') c = u'.';
  }
  return name;
}

std::u16string ThrowableToString(const ObjPtr& throwable) {
  std::u16string text = DottedName(throwable->cls);
  if (throwable->hasMessage) text += u": " + throwable->message;
  return text;
}

std::u16string StackTraceText(const ObjPtr& throwable) {
  // As Throwable.printStackTrace: frames a cause shares with the enclosing
  // trace are folded into "... n more".
  std::u16string text = ThrowableToString(throwable) + u"\r\n";
  for (const std::string& frame : throwable->frames) text += u"\tat " + U16FromAscii(frame) + u"\r\n";
  const Object* enclosing = throwable.get();
  std::set<const Object*> seen{enclosing};
  for (ObjPtr cause = throwable->cause; cause; cause = cause->cause) {
    if (!seen.insert(cause.get()).second) {
      text += u"\t[CIRCULAR REFERENCE: " + ThrowableToString(cause) + u"]\r\n";
      break;
    }
    size_t inCommon = 0;
    while (inCommon < cause->frames.size() && inCommon < enclosing->frames.size() &&
           cause->frames[cause->frames.size() - 1 - inCommon] ==
               enclosing->frames[enclosing->frames.size() - 1 - inCommon]) {
      ++inCommon;
    }
    text += u"Caused by: " + ThrowableToString(cause) + u"\r\n";
    for (size_t i = 0; i + inCommon < cause->frames.size(); ++i) {
      text += u"\tat " + U16FromAscii(cause->frames[i]) + u"\r\n";
    }
    if (inCommon) text += u"\t... " + U16FromAscii(std::to_string(inCommon)) + u" more\r\n";
    enclosing = cause.get();
  }
  return text;
}

Value Invoke(ThreadState& thread, MethodInfo* method, CallKind kind, ClassInfo* cls, const ObjPtr& self,
             const std::vector<Value>& args) {
  std::string what = method->owner->name + "." + method->name + method->signature;
  if (kind == CallKind::Static) {
    if (!method->isStatic) throw Misuse{"static call of the instance method " + what};
    if (cls && !IsSubclass(cls, method->owner)) throw Misuse{"static call of " + what + " through class " + cls->name};
  } else {
    if (method->isStatic) throw Misuse{"instance call of the static method " + what};
    if (!self) throw Misuse{"instance call of " + what + " on a null object"};
    if (!IsSubclass(self->cls, method->owner)) {
      throw Misuse{"call of " + what + " on an object of class " + self->cls->name};
    }
  }
  if (args.size() != method->params.size()) throw Misuse{"wrong argument count for " + what};
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& param = method->params[i];
    if ((param[0] == 'L' || param[0] == '[') && !IsAssignableValue(args[i].obj.get(), param)) {
      throw Misuse{"argument " + std::to_string(i) + " of " + what + " is a " + args[i].obj->cls->name};
    }
  }
  MethodInfo* target = method;
  if (kind == CallKind::Virtual && method->name != "<init>") {
    MethodInfo* override = FindMethod(self->cls, method->name, method->signature, false);
    if (override) target = override;
  }
  return target->impl(thread, self, args);
}

// ---------------------------------------------------------------- streams

void WriteBytes(const ObjPtr& outputStream, const std::string& bytes) {
  int depth = 0;
  for (const Object* stream = outputStream.get(); stream && depth < 64; stream = stream->target.get(), ++depth) {
    if (stream->sink) {
      stream->sink->Write(bytes);
      return;
    }
  }
}

void PrintText(const ObjPtr& printStream, std::u16string_view text) { WriteBytes(printStream, JavaUtf8(text)); }

void PrintLine(const ObjPtr& printStream, std::u16string_view text) {
  WriteBytes(printStream, JavaUtf8(text) + "\r\n");
}

ObjPtr SystemOut() {
  std::lock_guard lock(worldMutex);
  return systemOut;
}

ObjPtr SystemErr() {
  std::lock_guard lock(worldMutex);
  return systemErr;
}

void SetSystemOut(const ObjPtr& printStream) {
  std::lock_guard lock(worldMutex);
  systemOut = printStream;
}

void SetSystemErr(const ObjPtr& printStream) {
  std::lock_guard lock(worldMutex);
  systemErr = printStream;
}

std::u16string DescribeStream(const ObjPtr& printStream) {
  int depth = 0;
  for (const Object* stream = printStream.get(); stream && depth < 64; stream = stream->target.get(), ++depth) {
    if (stream->sink) return stream->sink->Describe();
  }
  return u"<null>";
}

void WriteNativeStderr(const std::string& bytes) {
  static HandleSink nativeStderr(STD_ERROR_HANDLE);
  nativeStderr.Write(bytes);
}

// ---------------------------------------------------------------- threads

ThreadState* CurrentThread() {
  ThreadState* thread = currentThread;
  return thread && thread->attached ? thread : nullptr;
}

ThreadState& AttachThread(const char* name, bool daemon) {
  std::lock_guard lock(worldMutex);
  auto thread = std::make_unique<ThreadState>();
  thread->env.functions = FunctionTable();
  thread->osId = GetCurrentThreadId();
  thread->osThread = OpenThread(SYNCHRONIZE | THREAD_QUERY_LIMITED_INFORMATION, FALSE, thread->osId);
  thread->name = name ? name : "Thread-" + std::to_string(threadNumber++);
  thread->daemon = daemon;
  thread->frames.emplace_back();
  currentThread = thread.get();
  allThreads.push_back(std::move(thread));
  return *currentThread;
}

void DetachThread(ThreadState& thread) {
  std::lock_guard lock(worldMutex);
  for (auto& frame : thread.frames) {
    for (Ref* ref : frame) {
      if (ref->kind == RefKind::Local) {
        ref->kind = RefKind::Deleted;
        ref->obj.reset();
      }
    }
  }
  thread.frames.clear();
  thread.pending.reset();
  thread.attached = false;
  if (thread.osThread) {
    CloseHandle(thread.osThread);
    thread.osThread = nullptr;
  }
  if (currentThread == &thread) currentThread = nullptr;
  threadsChanged.notify_all();
}

namespace {

struct JavaThreadStart {
  ThreadState* thread;
  std::function<void()> body;
};

DWORD WINAPI JavaThreadEntry(void* parameter) {
  std::unique_ptr<JavaThreadStart> start(static_cast<JavaThreadStart*>(parameter));
  currentThread = start->thread;
  {
    std::lock_guard lock(worldMutex);
    start->thread->osId = GetCurrentThreadId();
  }
  try {
    start->body();
  } catch (...) {
    Record("misuse a simulated Java thread failed");
  }
  DetachThread(*start->thread);
  return 0;
}

}  // namespace

void StartJavaThread(std::function<void()> body) {
  ThreadState* thread;
  {
    std::lock_guard lock(worldMutex);
    auto state = std::make_unique<ThreadState>();
    state->env.functions = FunctionTable();
    state->name = "Thread-" + std::to_string(threadNumber++);
    state->app = true;
    state->frames.emplace_back();
    thread = state.get();
    allThreads.push_back(std::move(state));
  }
  auto* start = new JavaThreadStart{thread, std::move(body)};
  HANDLE handle = CreateThread(nullptr, 0, JavaThreadEntry, start, 0, nullptr);
  if (!handle) {
    delete start;
    DetachThread(*thread);
    ThrowJava("java/lang/OutOfMemoryError", u"unable to create native thread");
  }
  CloseHandle(handle);
}

void WaitForNonDaemonThreads(ThreadState& self) {
  std::unique_lock lock(worldMutex);
  std::string lastWaitingFor;
  std::set<const ThreadState*> reportedEnded;
  for (;;) {
    std::string waitingFor;
    for (const auto& thread : allThreads) {
      if (thread.get() == &self || !thread->attached || thread->daemon) continue;
      waitingFor += (waitingFor.empty() ? "" : ",") + thread->name;
      if (thread->osThread && WaitForSingleObject(thread->osThread, 0) == WAIT_OBJECT_0 &&
          reportedEnded.insert(thread.get()).second) {
        Record("misuse thread " + thread->name +
               " ended without DetachCurrentThread; DestroyJavaVM waits for it for ever, like the real VM");
      }
    }
    if (waitingFor.empty()) return;
    if (waitingFor != lastWaitingFor) {
      Record("destroy-wait " + waitingFor);
      lastWaitingFor = waitingFor;
    }
    threadsChanged.wait_for(lock, std::chrono::milliseconds(200));
  }
}

// ---------------------------------------------------------------- references

jobject NewLocalRef(ThreadState& thread, const ObjPtr& obj) {
  if (!obj) return nullptr;
  std::lock_guard lock(worldMutex);
  Ref* ref = new Ref{obj, RefKind::Local, &thread};
  allRefs.insert(ref);
  thread.frames.back().push_back(ref);
  return reinterpret_cast<jobject>(ref);
}

jobject NewGlobalRef(const ObjPtr& obj) {
  if (!obj) return nullptr;
  std::lock_guard lock(worldMutex);
  Ref* ref = new Ref{obj, RefKind::Global, nullptr};
  allRefs.insert(ref);
  return reinterpret_cast<jobject>(ref);
}

ObjPtr Resolve(ThreadState& thread, jobject handle, const char* function) {
  if (!handle) return nullptr;
  std::lock_guard lock(worldMutex);
  const Ref* ref = reinterpret_cast<const Ref*>(handle);
  if (!allRefs.count(ref)) throw Misuse{std::string(function) + " got something that is no reference"};
  if (ref->kind == RefKind::Deleted) throw Misuse{std::string(function) + " got a deleted reference"};
  if (ref->kind == RefKind::Local && ref->owner != &thread) {
    Record("jniwarning " + std::string(function) + " got a local reference of thread " + ref->owner->name +
           " on thread " + thread.name);
  }
  return ref->obj;
}

void DeleteRef(ThreadState& thread, jobject handle, RefKind expected, const char* function) {
  if (!handle) return;
  std::lock_guard lock(worldMutex);
  Ref* ref = reinterpret_cast<Ref*>(handle);
  if (!allRefs.count(ref)) throw Misuse{std::string(function) + " got something that is no reference"};
  if (ref->kind == RefKind::Deleted) throw Misuse{std::string(function) + " of a reference already deleted"};
  if (ref->kind != expected) {
    throw Misuse{std::string(function) + " of a " + (ref->kind == RefKind::Local ? "local" : "global") + " reference"};
  }
  if (ref->kind == RefKind::Local && ref->owner != &thread) {
    throw Misuse{std::string(function) + " of a local reference of thread " + ref->owner->name};
  }
  ref->kind = RefKind::Deleted;
  ref->obj.reset();
}

RefKind KindOf(jobject handle) {
  std::lock_guard lock(worldMutex);
  const Ref* ref = reinterpret_cast<const Ref*>(handle);
  return allRefs.count(ref) ? ref->kind : RefKind::Deleted;
}

void PushFrame(ThreadState& thread) {
  std::lock_guard lock(worldMutex);
  thread.frames.emplace_back();
}

ObjPtr PopFrame(ThreadState& thread, jobject result, const char* function) {
  ObjPtr kept = Resolve(thread, result, function);
  std::lock_guard lock(worldMutex);
  if (thread.frames.size() < 2) throw Misuse{std::string(function) + " without a matching PushLocalFrame"};
  for (Ref* ref : thread.frames.back()) {
    ref->kind = RefKind::Deleted;
    ref->obj.reset();
  }
  thread.frames.pop_back();
  return kept;
}

void SetPending(ThreadState& thread, const ObjPtr& throwable) {
  thread.pending = throwable;
  if (throwable) Record("throw " + EscapeWide(ThrowableToString(throwable)));
}

void DescribeAndClear(ThreadState& thread) {
  ObjPtr throwable = thread.pending;
  thread.pending.reset();
  if (!throwable) return;
  Record("describe " + EscapeWide(ThrowableToString(throwable)));
  WriteNativeStderr("Exception in thread \"" + thread.name + "\" ");
  PrintText(SystemErr(), StackTraceText(throwable));
}

// ---------------------------------------------------------------- the VM

VmState GetVmState() {
  std::lock_guard lock(worldMutex);
  return vmState;
}

void SetVmState(VmState state) {
  std::lock_guard lock(worldMutex);
  vmState = state;
}

VmConfig& Config() {
  static VmConfig config;
  return config;
}

namespace {

void PrintThroughHook(jint(JNICALL* hook)(FILE*, const char*, va_list), const char* format, ...) {
  va_list args;
  va_start(args, format);
  hook(stderr, format, args);
  va_end(args);
}

}  // namespace

void WriteArchiveAtExit() {
  VmConfig& config = Config();
  if (config.archive.empty()) return;
  const std::string path = std::exchange(config.archive, {});
  if (!config.archiveRefusal.empty()) {
    Record("archive-refused");
    // As HotSpot: through the hook when there is one.
    if (config.vfprintfHook != nullptr) {
      PrintThroughHook(config.vfprintfHook, "%s", config.archiveRefusal.c_str());
    } else {
      WriteNativeStderr(config.archiveRefusal);
    }
    if (config.abortHook) {
      Record("abort-hook");
      config.abortHook();
    }
    Record("abort-exit 1");
    ExitProcess(1);
  }
  Record("archive " + EscapeNarrow(path));
  // The VM's own way: whatever is there goes, the file is made anew.
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(path.c_str());
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            config.archiveReadOnly ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    Record("archive-failed " + std::to_string(GetLastError()));
    return;
  }
  std::string bytes(4096, '\x5A');
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>(config.archiveMagic >> (8 * i));
  // VORN_DOUBLE_ARCHIVE_DIES: the process is killed half-way through.
  const bool dies = GetEnvironmentVariableW(L"VORN_DOUBLE_ARCHIVE_DIES", nullptr, 0) != 0;
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(dies ? bytes.size() / 2 : bytes.size()), &written, nullptr);
  if (dies) {
    Record("archive-died");
    TerminateProcess(GetCurrentProcess(), 9);
  }
  CloseHandle(file);
}

namespace {

DWORD WINAPI ExitThreadEntry(void* parameter) {
  jint code = static_cast<jint>(reinterpret_cast<intptr_t>(parameter));
  WriteArchiveAtExit();
  if (Config().exitHook) {
    Record("exit-hook " + std::to_string(code));
    Config().exitHook(code);
    Record("exit-hook-returned " + std::to_string(code));
  }
  ExitProcess(static_cast<UINT>(code));
}

}  // namespace

void ExitVm(jint code) {
  static std::once_flag once;
  std::call_once(once, [code] {
    // Like the real VM, the hook runs on a VM thread, not on the caller's.
    HANDLE thread = CreateThread(nullptr, 0, ExitThreadEntry, reinterpret_cast<void*>(static_cast<intptr_t>(code)),
                                 0, nullptr);
    if (!thread) ExitThreadEntry(reinterpret_cast<void*>(static_cast<intptr_t>(code)));
    CloseHandle(thread);
  });
  for (;;) Sleep(INFINITE);  // the caller of System.exit never returns
}

void AbortVm(const std::string& message) {
  WriteNativeStderr("FATAL ERROR in native method: " + message + "\r\n");
  if (Config().abortHook) {
    Record("abort-hook");
    Config().abortHook();
  }
  ExitProcess(3);
}

void RecordMainCall(const std::string& what, const ObjPtr& array) {
  // A call's lines stay together when several threads call at once.
  static std::mutex callMutex;
  std::lock_guard lock(callMutex);
  if (!array) {
    Record(what + " argc=null");
    return;
  }
  Record(what + " argc=" + std::to_string(array->elements.size()));
  for (size_t i = 0; i < array->elements.size(); ++i) {
    const ObjPtr& element = array->elements[i];
    Record("arg[" + std::to_string(i) + "]=" + (element ? HexUtf16(element->text) : std::string("null")));
  }
}

}  // namespace jvmdouble
