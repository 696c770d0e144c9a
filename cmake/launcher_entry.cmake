# How the launcher executable is started and linked, per toolchain.
#
# mingw-w64 GCC (x64): the launcher has its own entry point, LauncherStart in
# launcher/main.cpp, instead of the C runtime's start code, which brings in
# argument lists, wildcards, floating-point signals and thread-local
# destructors the launcher does not use. Without that start code GNU ld 2.40
# crashes when a C runtime function that GCC treats as a builtin is first
# reached from link-time-optimised code: naming those functions' imports up
# front avoids it. A link that ends with "ld terminated with signal 11" after
# new code calls another such function needs that function added to
# LAUNCHER_CRT_IMPORTS. Nothing may need the start code's fix-ups of imported
# data (runtime pseudo-relocations): the link refuses them (ld stops with
# signal 6); reach such data through a function instead. Link-time
# optimisation runs as one partition: GCC 12's partitioned LTO stops with an
# internal error on this code.
#
# zig's clang and LLVM's linker (ARM64): the C runtime's start code calls
# wWinMain (launcher/main.cpp); the GNU ld crash does not apply.
set(LAUNCHER_CRT_IMPORTS exit free iswspace malloc memchr memcmp memmove strlen towlower)

function(launcher_entry_and_link target)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    # The linker map, for the size budget's report (tests/size); zig's linker
    # takes no such option, and its report then goes without one.
    target_link_options(${target} PRIVATE LINKER:-Map=${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${target}.map)
    target_sources(${target} PRIVATE ${CMAKE_SOURCE_DIR}/launcher/internal_faults_libstdcxx.cpp)
    set(imports ${LAUNCHER_CRT_IMPORTS})
    list(TRANSFORM imports PREPEND "LINKER:--undefined=__imp_")
    target_link_options(${target} PRIVATE -nostartfiles LINKER:--entry=LauncherStart
                        LINKER:--disable-runtime-pseudo-reloc ${imports} -fuse-linker-plugin
                        -flto -flto-partition=none -Oz)
  else()
    target_sources(${target} PRIVATE ${CMAKE_SOURCE_DIR}/launcher/internal_faults_libcxx.cpp)
    target_link_options(${target} PRIVATE -municode)
  endif()
endfunction()
