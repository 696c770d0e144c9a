# Test registration for Windows test programs that run under Wine.
#
# Every test depends on the wine_env fixture: wine_setup makes a private Wine
# prefix, an Xvfb display of its own and a warm wineserver in
# ${WINE_TEST_STATE}; wine_teardown stops them. Each GoogleTest suite found in a
# target's sources becomes one CTest test, run in its own Wine process.
set(WINE_TEST_STATE ${CMAKE_BINARY_DIR}/wine-state)
set(WINE_SUPPORT_DIR ${CMAKE_SOURCE_DIR}/tests/support)
# The ARM64 build's programs run under emulated arm64 Wine (arm64-*.sh).
set(WINE_KIND wine)
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "ARM64")
  set(WINE_KIND arm64)
endif()

add_test(NAME wine_setup COMMAND ${WINE_SUPPORT_DIR}/${WINE_KIND}-setup.sh ${WINE_TEST_STATE}
                          ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/desktop_holder.exe)
set_tests_properties(wine_setup PROPERTIES FIXTURES_SETUP wine_env TIMEOUT 600)
add_test(NAME wine_teardown COMMAND ${WINE_SUPPORT_DIR}/${WINE_KIND}-teardown.sh ${WINE_TEST_STATE})
set_tests_properties(wine_teardown PROPERTIES FIXTURES_CLEANUP wine_env TIMEOUT 60)

function(add_wine_gtest target)
  cmake_parse_arguments(ARG "" "TIMEOUT" "" ${ARGN})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 120)
  endif()
  get_target_property(sources ${target} SOURCES)
  get_target_property(source_dir ${target} SOURCE_DIR)
  set(suites "")
  foreach(src IN LISTS sources)
    if(NOT IS_ABSOLUTE ${src})
      set(src ${source_dir}/${src})
    endif()
    file(STRINGS ${src} lines REGEX "^(TEST|TEST_F|TEST_P)\\(")
    foreach(line IN LISTS lines)
      if(line MATCHES "^TEST(_F|_P)?\\(([A-Za-z0-9_]+),")
        list(APPEND suites ${CMAKE_MATCH_2})
      endif()
    endforeach()
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${src})
  endforeach()
  list(REMOVE_DUPLICATES suites)
  foreach(suite IN LISTS suites)
    add_test(NAME ${suite} COMMAND ${target} --gtest_filter=${suite}.*:${suite}/*)
    set_tests_properties(${suite} PROPERTIES
      FIXTURES_REQUIRED wine_env
      ENVIRONMENT "LAUNCHER_TEST_STATE=${WINE_TEST_STATE};LAUNCHER_TEST_BIN=${CMAKE_BINARY_DIR};WINE_RUN_EXPECTS_OUTPUT=1"
      WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
      TIMEOUT ${ARG_TIMEOUT})
  endforeach()
endfunction()
