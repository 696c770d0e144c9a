# Cross-compiles for 64-bit ARM Windows with zig's clang, its mingw-w64
# headers, libc++ and the Universal C runtime (scripts/setup-arm64.sh installs zig).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ARM64)
set(CMAKE_C_COMPILER ${CMAKE_CURRENT_LIST_DIR}/zig/zig-cc)
set(CMAKE_CXX_COMPILER ${CMAKE_CURRENT_LIST_DIR}/zig/zig-c++)
set(CMAKE_AR ${CMAKE_CURRENT_LIST_DIR}/zig/zig-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${CMAKE_CURRENT_LIST_DIR}/zig/zig-ranlib CACHE FILEPATH "")
# LLVM's windres, with zig's copy of the mingw-w64 headers.
set(ZIG_HOME "$ENV{HOME}/.cache/arm64-windows/zig")
if(DEFINED ENV{ZIG})
  get_filename_component(ZIG_HOME "$ENV{ZIG}" DIRECTORY)
endif()
set(CMAKE_RC_COMPILER llvm-windres-14)
set(CMAKE_RC_FLAGS_INIT "--target=aarch64-w64-mingw32 -I${ZIG_HOME}/lib/libc/include/any-windows-any")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Windows test programs run under arm64 Wine, emulated (tests/support/arm64-run.sh).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tests/support/arm64-run.sh)
