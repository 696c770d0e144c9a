// The record of the test-double jvm.dll: what the launcher did to the Java VM.
//
// When the environment variable VORN_DOUBLE_RECORD names a file, the double
// appends one fact per line to it (UTF-8, lines end with "\n"). Every line is
// written with one WriteFile call as the event happens, so a process that
// ends through System.exit (ExitProcess) still leaves a complete record.
// tests/support/double_record.h reads it back for the tests.
//
// Text values are escaped so that every line stays one line and exact:
//   - narrow (8-bit) values, such as VM option strings and JNI class names:
//     every byte outside 0x20..0x7E, and "%", is written as %HH;
//   - wide values (paths, environment values, messages): the UTF-16 text as
//     UTF-8 (an unpaired surrogate as its 3-byte form), then control
//     characters, bytes 0x7F and "%" as %HH;
//   - Java string arguments: UTF-16 code units as 4 upper-case hex digits
//     each, no separator ("" for an empty string, "null" for a null element).
//
// Lines, in the order the events happen:
//   defaultargs version=0x<8 hex> result=<int>   JNI_GetDefaultJavaVMInitArgs
//   create version=0x<8 hex> ignoreUnrecognized=<0|1> nOptions=<n>
//   option[<i>]=<narrow>                       every option, hooks included
//   optionextra[<i>]                           that option had a non-null extraInfo
//   hook exit=<0|1> abort=<0|1> vfprintf=<0|1> hook options seen with a non-null extraInfo
//   env <NAME>=<wide>  or  env <NAME>          VORN_JVM_PATH, VORN_JVM_HOME, Path (no "=": unset)
//   cwd=<wide>                                 current directory at creation
//   classpath=<narrow>                         value of the last -Djava.class.path=
//   threadstack <bytes>                        stack reservation of the creating thread
//   abort-hook / abort-exit 1                  -Dvorn.double.abort, or a refused archive: the hook called, the process ends
//   create-result <int>                        what JNI_CreateJavaVM returned
//   attach <thread name> daemon=<0|1>          AttachCurrentThread(AsDaemon)
//   detach <thread name>                       DetachCurrentThread of an attached thread
//   findclass <narrow>                         every FindClass
//   main <class> argc=<n|null>                 a test class's main was called ...
//   secondaryMain <class> <signature> argc=<n|null>   ... or its secondaryMain
//   launch <class> argc=<n|null>               ... or JavaFX's Application.launch of it
//   arg[<i>]=<hex UTF-16>                      the arguments of the call just above
//   secondaryMain-result <int>                 what the int form returned
//   fileopen <wide>  /  fileopen-failed <wide> error=<n>   FileOutputStream(String)
//   setOut <wide>  /  setErr <wide>            System.setOut/setErr; the value names the
//                                              file, or <stdout>, <stderr>, <buffer>, <null>
//   throw <class>: <wide message>              an exception became pending
//   describe <class>: <wide message>           ExceptionDescribe of that exception
//   exit <code>                                System.exit was called
//   exit-hook <code>                           the "exit" hook is being called (VM thread)
//   exit-hook-returned <code>                  it returned; the process now ends with code
//   abort-hook                                 the "abort" hook is being called
//   archive <narrow>                           the VM writes its archive at its end (DestroyJavaVM,
//                                              System.exit before the hook); archive-failed <error>
//   archive-died                               VORN_DOUBLE_ARCHIVE_DIES: killed half-way through it
//   archive-refused                            at its end it refuses to write it (a folder on a path):
//                                              abort-hook, abort-exit 1 follow
//   destroy                                    DestroyJavaVM was called
//   destroy-wait <names>                       it waits for these non-daemon threads
//   destroy-done <int>                         it returns this result
//   unimplemented <slot name> index=<n>        an unimplemented JNI function was called
//   misuse <text>                              a JNI misuse the real VM would not forgive
//   jniwarning <text>                          what -Xcheck:jni would warn about
#pragma once

#include <string>
#include <string_view>

namespace jvmdouble {

// Appends one line (without its "\n") to the record, when there is one.
void Record(std::string_view line);

std::string EscapeNarrow(std::string_view bytes);
std::string EscapeWide(std::u16string_view text);
std::string HexUtf16(std::u16string_view text);

}  // namespace jvmdouble
