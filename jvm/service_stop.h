// The Java side of a service's stop: on a thread of its own, attach to the
// virtual machine and ask the application to end, through the main class's
// "public static void serviceStop()" or, without one, System.exit(0) so that
// the shutdown hooks run. Platform-neutral.
#pragma once

#include <jni.h>

#include <string>

namespace jvm {

// How the application was asked to end.
enum class StopRequest { kNotAttached, kServiceStop, kSystemExit };

// Attaches the calling thread to `vm`, finds `mainClass` (8-bit, slashes) and
// calls its serviceStop, else System.exit(0) (which does not return when the
// VM ends the process). An exception serviceStop throws is described; the
// thread detaches before this returns.
StopRequest RequestApplicationStop(JavaVM* vm, const std::string& mainClass);

}  // namespace jvm
