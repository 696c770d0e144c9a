// The fixed class world of the double: the platform classes the launcher
// uses and the test application classes (the class path is never read).
#include <cstdlib>

#include "double_record.h"
#include "text.h"
#include "world.h"

namespace jvmdouble {

namespace {

const char* const kStringArray = "([Ljava/lang/String;)V";

Value Void() { return {}; }

Value Obj(ObjPtr obj) {
  Value value;
  value.obj = std::move(obj);
  return value;
}

Value Int(jint i) {
  Value value;
  value.prim.i = i;
  return value;
}

const ObjPtr& NonNull(const ObjPtr& obj) {
  if (!obj) ThrowJava("java/lang/NullPointerException", std::nullopt);
  return obj;
}

std::u16string StringOrNull(const ObjPtr& obj) { return obj ? obj->text : u"null"; }

DWORD EnvironmentNumber(const wchar_t* name, DWORD fallback) {
  wchar_t value[32];
  DWORD length = GetEnvironmentVariableW(name, value, 32);
  if (length == 0 || length >= 32) return fallback;
  return static_cast<DWORD>(wcstoul(value, nullptr, 10));
}

void AddThrowableConstructors(ClassInfo* cls) {
  AddMethod(cls, "<init>", "()V", false, [](ThreadState&, const ObjPtr& self, const std::vector<Value>&) {
    return Void();
  });
  AddMethod(cls, "<init>", "(Ljava/lang/String;)V", false,
            [](ThreadState&, const ObjPtr& self, const std::vector<Value>& args) {
              self->hasMessage = args[0].obj != nullptr;
              self->message = args[0].obj ? args[0].obj->text : u"";
              return Void();
            });
  AddMethod(cls, "<init>", "(Ljava/lang/String;Ljava/lang/Throwable;)V", false,
            [](ThreadState&, const ObjPtr& self, const std::vector<Value>& args) {
              self->hasMessage = args[0].obj != nullptr;
              self->message = args[0].obj ? args[0].obj->text : u"";
              self->cause = args[1].obj;
              return Void();
            });
}

void DefineThrowable(const std::string& name, const std::string& super) {
  AddThrowableConstructors(DefineClass(name, super));
}

void DefinePlatformClasses() {
  ClassInfo* object = DefineClass("java/lang/Object", "");
  ClassInfo* classClass = DefineClass("java/lang/Class", "java/lang/Object");
  object->mirror->cls = classClass;
  classClass->mirror->cls = classClass;
  AddMethod(object, "<init>", "()V", false, [](ThreadState&, const ObjPtr&, const std::vector<Value>&) {
    return Void();
  });
  AddMethod(object, "toString", "()Ljava/lang/String;", false,
            [](ThreadState&, const ObjPtr& self, const std::vector<Value>&) {
              return Obj(NewString(DottedName(self->cls) + u"@1b6d3586"));
            });

  ClassInfo* string = DefineClass("java/lang/String", "java/lang/Object");
  AddMethod(string, "<init>", "()V", false, [](ThreadState&, const ObjPtr&, const std::vector<Value>&) {
    return Void();
  });
  AddMethod(string, "<init>", "([C)V", false, [](ThreadState&, const ObjPtr& self, const std::vector<Value>& args) {
    const ObjPtr& chars = NonNull(args[0].obj);
    self->text.assign(chars->chars.begin(), chars->chars.end());
    return Void();
  });
  AddMethod(string, "length", "()I", false, [](ThreadState&, const ObjPtr& self, const std::vector<Value>&) {
    return Int(static_cast<jint>(self->text.size()));
  });
  AddMethod(string, "toString", "()Ljava/lang/String;", false,
            [](ThreadState&, const ObjPtr& self, const std::vector<Value>&) { return Obj(self); });

  classClass->isAbstract = true;  // no NewObject of java.lang.Class

  ClassInfo* throwable = DefineClass("java/lang/Throwable", "java/lang/Object");
  AddThrowableConstructors(throwable);
  DefineThrowable("java/lang/Exception", "java/lang/Throwable");
  AddMethod(throwable, "getMessage", "()Ljava/lang/String;", false,
            [](ThreadState&, const ObjPtr& self, const std::vector<Value>&) {
              return Obj(self->hasMessage ? NewString(self->message) : nullptr);
            });
  AddMethod(throwable, "getLocalizedMessage", "()Ljava/lang/String;", false,
            [](ThreadState&, const ObjPtr& self, const std::vector<Value>&) {
              return Obj(self->hasMessage ? NewString(self->message) : nullptr);
            });
  AddMethod(throwable, "getCause", "()Ljava/lang/Throwable;", false,
            [](ThreadState&, const ObjPtr& self, const std::vector<Value>&) { return Obj(self->cause); });
  AddMethod(throwable, "toString", "()Ljava/lang/String;", false,
            [](ThreadState&, const ObjPtr& self, const std::vector<Value>&) {
              return Obj(NewString(ThrowableToString(self)));
            });
  AddMethod(throwable, "printStackTrace", "()V", false,
            [](ThreadState&, const ObjPtr& self, const std::vector<Value>&) {
              PrintText(SystemErr(), StackTraceText(self));
              return Void();
            });
  AddMethod(throwable, "printStackTrace", "(Ljava/io/PrintStream;)V", false,
            [](ThreadState&, const ObjPtr& self, const std::vector<Value>& args) {
              PrintText(NonNull(args[0].obj), StackTraceText(self));
              return Void();
            });

  DefineThrowable("java/lang/Error", "java/lang/Throwable");
  DefineThrowable("java/lang/RuntimeException", "java/lang/Exception");
  DefineThrowable("java/lang/IllegalStateException", "java/lang/RuntimeException");
  DefineThrowable("java/lang/IllegalArgumentException", "java/lang/RuntimeException");
  DefineThrowable("java/lang/NumberFormatException", "java/lang/IllegalArgumentException");
  DefineThrowable("java/lang/UnsupportedOperationException", "java/lang/RuntimeException");
  DefineThrowable("java/lang/NullPointerException", "java/lang/RuntimeException");
  DefineThrowable("java/lang/ArrayStoreException", "java/lang/RuntimeException");
  DefineThrowable("java/lang/NegativeArraySizeException", "java/lang/RuntimeException");
  DefineThrowable("java/lang/IndexOutOfBoundsException", "java/lang/RuntimeException");
  DefineThrowable("java/lang/ArrayIndexOutOfBoundsException", "java/lang/IndexOutOfBoundsException");
  DefineThrowable("java/lang/StringIndexOutOfBoundsException", "java/lang/IndexOutOfBoundsException");
  DefineThrowable("java/lang/ReflectiveOperationException", "java/lang/Exception");
  DefineThrowable("java/lang/ClassNotFoundException", "java/lang/ReflectiveOperationException");
  DefineThrowable("java/lang/InstantiationException", "java/lang/ReflectiveOperationException");
  DefineThrowable("java/lang/LinkageError", "java/lang/Error");
  DefineThrowable("java/lang/NoClassDefFoundError", "java/lang/LinkageError");
  DefineThrowable("java/lang/IncompatibleClassChangeError", "java/lang/LinkageError");
  DefineThrowable("java/lang/NoSuchMethodError", "java/lang/IncompatibleClassChangeError");
  DefineThrowable("java/lang/NoSuchFieldError", "java/lang/IncompatibleClassChangeError");
  DefineThrowable("java/lang/VirtualMachineError", "java/lang/Error");
  DefineThrowable("java/lang/InternalError", "java/lang/VirtualMachineError");
  DefineThrowable("java/lang/OutOfMemoryError", "java/lang/VirtualMachineError");
  DefineThrowable("java/io/IOException", "java/lang/Exception");
  DefineThrowable("java/io/FileNotFoundException", "java/io/IOException");

  ClassInfo* outputStream = DefineClass("java/io/OutputStream", "java/lang/Object", true);
  AddMethod(outputStream, "<init>", "()V", false, [](ThreadState&, const ObjPtr&, const std::vector<Value>&) {
    return Void();
  });
  AddMethod(outputStream, "write", "(I)V", false, [](ThreadState&, const ObjPtr& self, const std::vector<Value>& args) {
    WriteBytes(self, std::string(1, static_cast<char>(args[0].prim.i)));
    return Void();
  });
  AddMethod(outputStream, "flush", "()V", false, [](ThreadState&, const ObjPtr&, const std::vector<Value>&) {
    return Void();
  });
  AddMethod(outputStream, "close", "()V", false, [](ThreadState&, const ObjPtr&, const std::vector<Value>&) {
    return Void();
  });

  ClassInfo* fileOutputStream = DefineClass("java/io/FileOutputStream", "java/io/OutputStream");
  AddMethod(fileOutputStream, "<init>", "(Ljava/lang/String;)V", false,
            [](ThreadState&, const ObjPtr& self, const std::vector<Value>& args) {
              const std::u16string& path = NonNull(args[0].obj)->text;
              std::wstring widePath = Wide(path);
              // As the real one: written from the start, an existing file replaced.
              HANDLE file = path.empty() ? INVALID_HANDLE_VALUE
                                         : CreateFileW(widePath.c_str(), GENERIC_WRITE,
                                                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                                                       FILE_ATTRIBUTE_NORMAL, nullptr);
              if (file == INVALID_HANDLE_VALUE) {
                DWORD error = path.empty() ? ERROR_PATH_NOT_FOUND : GetLastError();
                Record("fileopen-failed " + EscapeWide(path) + " error=" + std::to_string(error));
                wchar_t* reason = nullptr;
                FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                   FORMAT_MESSAGE_IGNORE_INSERTS,
                               nullptr, error, 0, reinterpret_cast<wchar_t*>(&reason), 0, nullptr);
                std::u16string reasonText = reason ? U16(reason) : u"error " + U16FromAscii(std::to_string(error));
                if (reason) LocalFree(reason);
                while (!reasonText.empty() && (reasonText.back() == u'\n' || reasonText.back() == u'\r' ||
                                               reasonText.back() == u'.' || reasonText.back() == u' ')) {
                  reasonText.pop_back();
                }
                ThrowJava("java/io/FileNotFoundException", path + u" (" + reasonText + u")");
              }
              Record("fileopen " + EscapeWide(path));
              self->sink = std::make_shared<HandleSink>(file, true, path);
              return Void();
            });

  ClassInfo* byteArrayOutputStream = DefineClass("java/io/ByteArrayOutputStream", "java/io/OutputStream");
  AddMethod(byteArrayOutputStream, "<init>", "()V", false,
            [](ThreadState&, const ObjPtr& self, const std::vector<Value>&) {
              self->sink = std::make_shared<BufferSink>();
              return Void();
            });
  // The double's default charset is UTF-8.
  AddMethod(byteArrayOutputStream, "toString", "()Ljava/lang/String;", false,
            [](ThreadState&, const ObjPtr& self, const std::vector<Value>&) {
              auto* buffer = static_cast<BufferSink*>(self->sink.get());
              return Obj(NewString(buffer ? DecodeUtf8(buffer->Bytes()) : u""));
            });
  AddMethod(byteArrayOutputStream, "size", "()I", false,
            [](ThreadState&, const ObjPtr& self, const std::vector<Value>&) {
              auto* buffer = static_cast<BufferSink*>(self->sink.get());
              return Int(buffer ? static_cast<jint>(buffer->Bytes().size()) : 0);
            });

  DefineClass("java/io/FilterOutputStream", "java/io/OutputStream");
  ClassInfo* printStream = DefineClass("java/io/PrintStream", "java/io/FilterOutputStream");
  AddMethod(printStream, "<init>", "(Ljava/io/OutputStream;)V", false,
            [](ThreadState&, const ObjPtr& self, const std::vector<Value>& args) {
              self->target = NonNull(args[0].obj);
              return Void();
            });
  AddMethod(printStream, "print", "(Ljava/lang/String;)V", false,
            [](ThreadState&, const ObjPtr& self, const std::vector<Value>& args) {
              PrintText(self, StringOrNull(args[0].obj));
              return Void();
            });
  AddMethod(printStream, "println", "(Ljava/lang/String;)V", false,
            [](ThreadState&, const ObjPtr& self, const std::vector<Value>& args) {
              PrintLine(self, StringOrNull(args[0].obj));
              return Void();
            });
  AddMethod(printStream, "println", "()V", false, [](ThreadState&, const ObjPtr& self, const std::vector<Value>&) {
    PrintLine(self, u"");
    return Void();
  });

  ClassInfo* system = DefineClass("java/lang/System", "java/lang/Object");
  AddMethod(system, "setOut", "(Ljava/io/PrintStream;)V", true,
            [](ThreadState&, const ObjPtr&, const std::vector<Value>& args) {
              Record("setOut " + EscapeWide(DescribeStream(args[0].obj)));
              SetSystemOut(args[0].obj);
              return Void();
            });
  AddMethod(system, "setErr", "(Ljava/io/PrintStream;)V", true,
            [](ThreadState&, const ObjPtr&, const std::vector<Value>& args) {
              Record("setErr " + EscapeWide(DescribeStream(args[0].obj)));
              SetSystemErr(args[0].obj);
              return Void();
            });
  AddMethod(system, "exit", "(I)V", true, [](ThreadState&, const ObjPtr&, const std::vector<Value>& args) -> Value {
    Record("exit " + std::to_string(args[0].prim.i));
    ExitVm(args[0].prim.i);
  });
  AddMethod(system, "lineSeparator", "()Ljava/lang/String;", true,
            [](ThreadState&, const ObjPtr&, const std::vector<Value>&) { return Obj(NewString(u"\r\n")); });

  // JavaFX's entry for application classes without main: the call is
  // recorded with the arguments start() would see.
  ClassInfo* fxApplication = DefineClass("javafx/application/Application", "java/lang/Object", true);
  AddMethod(fxApplication, "launch", "(Ljava/lang/Class;[Ljava/lang/String;)V", true,
            [fxApplication](ThreadState&, const ObjPtr&, const std::vector<Value>& args) {
              ClassInfo* app = NonNull(args[0].obj)->mirrorOf;
              if (!IsSubclass(app, fxApplication)) {
                ThrowJava("java/lang/RuntimeException",
                          u"Error: class " + DottedName(app) + u" is not a subclass of javafx.application.Application");
              }
              RecordMainCall("launch " + app->name, args[1].obj);
              return Void();
            });

  // The boot layer's modules, as far as a launcher asks for a module's main
  // class: Object.class.getModule().getLayer().findModule(name).orElse(null)
  // .getDescriptor().mainClass().orElse(null).
  ClassInfo* optional = DefineClass("java/util/Optional", "java/lang/Object");
  auto optionalOf = [](ObjPtr value) {
    ObjPtr result = NewObjectOf(ClassOf("java/util/Optional"));
    result->target = std::move(value);
    return Obj(result);
  };
  AddMethod(optional, "orElse", "(Ljava/lang/Object;)Ljava/lang/Object;", false,
            [](ThreadState&, const ObjPtr& self, const std::vector<Value>& args) {
              return Obj(self->target ? self->target : args[0].obj);
            });
  ClassInfo* module = DefineClass("java/lang/Module", "java/lang/Object");
  ClassInfo* layer = DefineClass("java/lang/ModuleLayer", "java/lang/Object");
  ClassInfo* descriptor = DefineClass("java/lang/module/ModuleDescriptor", "java/lang/Object");
  AddMethod(classClass, "getModule", "()Ljava/lang/Module;", false,
            [](ThreadState&, const ObjPtr&, const std::vector<Value>&) {
              return Obj(NewObjectOf(ClassOf("java/lang/Module")));  // java.base, in the boot layer
            });
  AddMethod(module, "getLayer", "()Ljava/lang/ModuleLayer;", false,
            [](ThreadState&, const ObjPtr&, const std::vector<Value>&) {
              return Obj(NewObjectOf(ClassOf("java/lang/ModuleLayer")));
            });
  AddMethod(layer, "findModule", "(Ljava/lang/String;)Ljava/util/Optional;", false,
            [optionalOf](ThreadState&, const ObjPtr&, const std::vector<Value>& args) {
              const std::u16string name = NonNull(args[0].obj)->text;
              if (!Config().bootModules.count(Wtf8(name))) return optionalOf(nullptr);
              ObjPtr found = NewObjectOf(ClassOf("java/lang/Module"));
              found->text = name;
              return optionalOf(found);
            });
  AddMethod(module, "getDescriptor", "()Ljava/lang/module/ModuleDescriptor;", false,
            [](ThreadState&, const ObjPtr& self, const std::vector<Value>&) {
              ObjPtr result = NewObjectOf(ClassOf("java/lang/module/ModuleDescriptor"));
              result->text = self->text;
              return Obj(result);
            });
  AddMethod(descriptor, "mainClass", "()Ljava/util/Optional;", false,
            [optionalOf](ThreadState&, const ObjPtr& self, const std::vector<Value>&) {
              const std::string& mainClass = Config().bootModules[Wtf8(self->text)];
              return optionalOf(mainClass.empty() ? nullptr : NewString(U16FromAscii(mainClass)));
            });

  DefineClass("java/lang/Thread", "java/lang/Object");
  DefineClass("java/lang/Integer", "java/lang/Object");
}

// ---- test application classes ----

ClassInfo* DefineApp(const std::string& name) { return DefineClass(name, "java/lang/Object"); }

void AddMain(ClassInfo* cls, std::function<void(const ObjPtr& args)> body) {
  std::string name = cls->name;
  AddMethod(cls, "main", kStringArray, true, [name, body](ThreadState&, const ObjPtr&, const std::vector<Value>& args) {
    RecordMainCall("main " + name, args[0].obj);
    body(args[0].obj);
    return Void();
  });
}

std::vector<std::u16string> Texts(const ObjPtr& array) {
  std::vector<std::u16string> texts;
  if (array) {
    for (const ObjPtr& element : array->elements) texts.push_back(StringOrNull(element));
  }
  return texts;
}

// Keeps the VM alive: a non-daemon thread sleeps, then says so.
void Linger(DWORD milliseconds, std::u16string doneText) {
  StartJavaThread([milliseconds, doneText] {
    Sleep(milliseconds);
    if (!doneText.empty()) PrintLine(SystemOut(), doneText);
  });
}

void DefineTestClasses() {
  AddMain(DefineApp("test/Echo"), [](const ObjPtr& args) {
    for (const std::u16string& text : Texts(args)) PrintLine(SystemOut(), text);
  });

  // The main class the manual's examples name (README's "Ship your application"):
  // prints every argument, as test/Echo does.
  AddMain(DefineApp("com/example/Main"), [](const ObjPtr& args) {
    for (const std::u16string& text : Texts(args)) PrintLine(SystemOut(), text);
  });

  AddMain(DefineApp("test/Throws"), [](const ObjPtr&) {
    ObjPtr cause = NewThrowable("java/lang/IllegalArgumentException", u"root cause \u00e9", nullptr,
                                {"test.Throws.check(Throws.java:20)", "test.Throws.run(Throws.java:10)",
                                 "test.Throws.main(Throws.java:5)"});
    ThrowJava("java/lang/IllegalStateException", u"bad state: Gr\u00fc\u00dfe \u2713 \U0001D11E", cause,
              {"test.Throws.run(Throws.java:12)", "test.Throws.main(Throws.java:5)"});
  });

  AddMain(DefineApp("test/Exit"), [](const ObjPtr& args) {
    jint code = 42;
    std::vector<std::u16string> texts = Texts(args);
    if (!texts.empty()) {
      std::string digits(texts[0].begin(), texts[0].end());
      char* end = nullptr;
      long long value = std::strtoll(digits.c_str(), &end, 10);
      if (digits.empty() || *end != '\0') {
        ThrowJava("java/lang/NumberFormatException", u"For input string: \"" + texts[0] + u"\"");
      }
      code = static_cast<jint>(value);
    }
    Record("exit " + std::to_string(code));
    ExitVm(code);
  });

  ClassInfo* noMain = DefineApp("test/NoMain");
  AddMethod(noMain, "notMain", kStringArray, true, [](ThreadState&, const ObjPtr&, const std::vector<Value>&) {
    return Void();
  });

  for (bool returnsInt : {false, true}) {
    ClassInfo* cls = DefineApp(returnsInt ? "test/SecondaryInt" : "test/SecondaryVoid");
    AddMain(cls, [](const ObjPtr& args) {
      PrintLine(SystemOut(), u"primary started");
      Linger(EnvironmentNumber(L"VORN_DOUBLE_LINGER_MS", 5000), u"primary done");
    });
    std::string name = cls->name;
    std::string signature = returnsInt ? "([Ljava/lang/String;)I" : kStringArray;
    AddMethod(cls, "secondaryMain", signature, true,
              [name, signature, returnsInt](ThreadState&, const ObjPtr&, const std::vector<Value>& args) {
                RecordMainCall("secondaryMain " + name + " " + signature, args[0].obj);
                WaitForEventNamedBy(L"VORN_DOUBLE_SECONDARY_GATE", true);
                std::u16string line = u"secondaryMain";
                for (const std::u16string& text : Texts(args[0].obj)) line += u" " + text;
                PrintLine(SystemOut(), line);
                if (!returnsInt) return Void();
                jint result = static_cast<jint>(Texts(args[0].obj).size()) + 100;
                Record("secondaryMain-result " + std::to_string(result));
                return Int(result);
              });
  }

  // A JavaFX application: no main of its own, Application two levels up.
  DefineClass("test/FxBase", "javafx/application/Application", true);
  DefineClass("test/FxApp", "test/FxBase");

  AddMain(DefineApp("test/ErrWriter"), [](const ObjPtr&) {
    PrintLine(SystemOut(), u"line to System.out");
    PrintLine(SystemErr(), u"line to System.err");
  });

  AddMain(DefineApp("test/ThreadLinger"), [](const ObjPtr&) {
    Linger(EnvironmentNumber(L"VORN_DOUBLE_LINGER_MS", 1500), u"lingering done");
  });

  AddMain(DefineApp("test/Wait"), [](const ObjPtr&) { WaitForEventNamedBy(L"VORN_DOUBLE_WAIT_EVENT"); });

  // A service: main runs until serviceStop is called (at most 2 min).
  static HANDLE serviceStopped = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ClassInfo* service = DefineApp("test/Service");
  AddMain(service, [](const ObjPtr&) {
    WaitForSingleObject(serviceStopped, 120000);
    Record("service main returns");
  });
  AddMethod(service, "serviceStop", "()V", true, [](ThreadState&, const ObjPtr&, const std::vector<Value>&) {
    Record("serviceStop");
    PrintLine(SystemOut(), u"serviceStop");
    SetEvent(serviceStopped);
    return Void();
  });
  // A service without serviceStop: main runs until the VM ends (at most 2 min).
  AddMain(DefineApp("test/ServiceNoStop"), [](const ObjPtr&) { WaitForSingleObject(serviceStopped, 120000); });
}

}  // namespace

void DefineClasses() {
  DefinePlatformClasses();
  DefineTestClasses();
}

}  // namespace jvmdouble
