/* Machine-dependent JNI types for Windows builds (paired with the JDK's jni.h):
   jint is 32 bits and jlong 64 bits on both 32- and 64-bit Windows. */
#ifndef VORN_JNI_MD_H
#define VORN_JNI_MD_H

#ifdef _WIN32
#define JNIEXPORT __declspec(dllexport)
#define JNIIMPORT __declspec(dllimport)
#define JNICALL __stdcall
#else
#define JNIEXPORT __attribute__((visibility("default")))
#define JNIIMPORT __attribute__((visibility("default")))
#define JNICALL
#endif

typedef int jint;
typedef long long jlong;
typedef signed char jbyte;

#endif
