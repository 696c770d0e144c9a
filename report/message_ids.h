// Ids of the launcher's message string table (resources/launcher.rc).
// Shared by the resource compiler and C++, so plain #defines.
#pragma once

#define IDS_WINDOWS_ERROR 202          // "Windows exception: %s (errno = %d).\n"
#define IDS_JNI_ERROR_REASON 203       // "JNI exception: %s\nReason: %s.\n"
#define IDS_COM_ERROR 204
#define IDS_JNI_ERROR 205
#define IDS_JRE_NOT_FOUND_SERVER 206
#define IDS_JRE_NOT_FOUND 207
#define IDS_MODULE_PATH_FAILED 208
#define IDS_NO_CLASS_PATH 209
#define IDS_NO_MAIN_CLASS 210
#define IDS_LOAD_MAIN_CLASS_FAILED 211
#define IDS_NO_CREATE_JAVA_VM 212
#define IDS_CREATE_VM_FAILED 213
#define IDS_BROWSE_FOR_JRE 214
#define IDS_MAIN_CLASS_NOT_FOUND 215
#define IDS_NO_MAIN_METHOD 216
#define IDS_VERSION_LATEST 217
#define IDS_VERSION_MAXIMUM 218
#define IDS_VERSION_MINIMUM 219
#define IDS_VERSION_EXACT 220
#define IDS_VERSION_BETWEEN 221
#define IDS_LOAD_VM_LIBRARY_FAILED 222
#define IDS_FAILED_TO_INITIALIZE 223
#define IDS_FAILED_TO_INITIALIZE_MODULE 224
#define IDS_JNI_UNKNOWN 225
#define IDS_JNI_DETACHED 226
#define IDS_JNI_VERSION 227
#define IDS_JNI_NO_MEMORY 228
#define IDS_JNI_EXISTS 229
#define IDS_JNI_INVALID 230
// Values the system cannot hold: refused with a box rather than cut.
#define IDS_PATH_TOO_LONG 240          // "... %d characters ..." (the new Path)
#define IDS_FILE_PATH_TOO_LONG 241     // "%s" key name, "%d" length
// A console program's line after a missing runtime's message and address.
#define IDS_RUNTIME_SEARCH_HINT 242
// What the VM would end the process over without a word: said first.
#define IDS_BAD_MAIN_MODULE 250        // "%s" the "Main Module" value
#define IDS_VM_ABORTED 251             // "%s" the VM's own words
// A later start in single-instance mode whose arguments the running program
// did not take (its pending hand-overs stayed full, or it hangs).
#define IDS_HAND_OVER_FAILED 252
// A single-instance start whose arguments do not fit the block the running
// program reads them from.
#define IDS_ARGUMENTS_TOO_LONG 253     // "%d" the bytes they need
// A runtime library this launcher cannot load for its machine.
#define IDS_RUNTIME_WRONG_MACHINE 254  // "%s" the library, "%s" its machine
// The application ended with its "Restart Code" once more than the bound allows.
#define IDS_TOO_MANY_RESTARTS 255      // "%s" the executable, "%d" the code
