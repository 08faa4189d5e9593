# The tests that run K7730fe.dll under Wine: the filter and colour-engine
# ABI tests shared with the native build, and the Windows-only checks.

# GoogleTest from Debian's sources, built for Windows without its own
# threading (the posix runtime has std::mutex, which it needs, but the tests
# are single-threaded).
set(K7730_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources for the cross build")
if(NOT EXISTS ${K7730_GOOGLETEST_SOURCE}/CMakeLists.txt)
  message(FATAL_ERROR "GoogleTest sources not found in ${K7730_GOOGLETEST_SOURCE} (Debian package googletest)")
endif()
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${K7730_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# The profiles come from the native build, whose tools make them.
set(K7730_NATIVE_BUILD_DIR ${PROJECT_SOURCE_DIR}/build/asan CACHE PATH
    "Native build folder that holds the default and the test profiles")
set(k7730_native_profiles ${K7730_NATIVE_BUILD_DIR}/A17D50.ICC ${K7730_NATIVE_BUILD_DIR}/K77302.ICC)
add_custom_command(
  OUTPUT ${K7730_MODULE_DIR}/A17D50.ICC ${K7730_MODULE_DIR}/K77302.ICC
  COMMAND ${CMAKE_COMMAND} -E copy ${k7730_native_profiles} ${K7730_MODULE_DIR}
  DEPENDS ${k7730_native_profiles}
  COMMENT "Copying the default profiles from the native build (${K7730_NATIVE_BUILD_DIR})"
  VERBATIM)
add_custom_target(default_profiles ALL DEPENDS ${K7730_MODULE_DIR}/A17D50.ICC ${K7730_MODULE_DIR}/K77302.ICC)

# Windows programs see this machine's root as drive Z:.
set(k7730_z "Z:")
set(k7730_profile_dir "${k7730_z}${K7730_NATIVE_BUILD_DIR}/test-profiles")

# Wine runs each test program: one private prefix for this build folder.
set(k7730_wine_prefix ${CMAKE_BINARY_DIR}/wine-prefix)
set(k7730_wine_run ${CMAKE_CURRENT_SOURCE_DIR}/wine_run.sh)
set(CMAKE_CROSSCOMPILING_EMULATOR ${k7730_wine_run} ${k7730_wine_prefix})

function(k7730_wine_test name)
  if(NOT K7730_RUN_UNDER_WINE)
    return()
  endif()
  add_test(NAME windows.${name} COMMAND ${name})
  # Pass only on the program's own report, so that a Wine that does not run
  # at all never counts as a pass.
  set_tests_properties(windows.${name} PROPERTIES
    FIXTURES_REQUIRED wine
    TIMEOUT 300
    PASS_REGULAR_EXPRESSION "\\[  PASSED  \\]|^480 of 480 lines"
    FAIL_REGULAR_EXPRESSION "\\[  FAILED  \\]|\\[  SKIPPED \\]|wine_run:")
endfunction()

# A test program linked statically, so that Wine needs no runtime DLLs.
function(k7730_windows_program name)
  add_executable(${name} ${ARGN})
  target_compile_options(${name} PRIVATE ${K7730_WARNINGS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/include ${K7730_TESTS_DIR})
  target_link_options(${name} PRIVATE -static)
  add_dependencies(${name} K7730fe default_profiles)
endfunction()

# A test that loads K7730fe.dll through its exports, as a host does.
function(k7730_windows_abi_test name)
  k7730_windows_program(${name} ${ARGN})
  target_compile_definitions(${name} PRIVATE K7730FE_MODULE_PATH="${k7730_z}$<TARGET_FILE:K7730fe>"
                             K7730_TEST_PROFILE_DIR="${k7730_profile_dir}")
  target_link_libraries(${name} PRIVATE gtest_main)
  k7730_wine_test(${name})
endfunction()

set(K7730_TESTS_DIR ${PROJECT_SOURCE_DIR}/tests)
set(t ${PROJECT_SOURCE_DIR}/tests)

k7730_windows_abi_test(settings_abi_test ${t}/filter/settings_abi_test.cpp)
k7730_windows_abi_test(pipeline_abi_test ${t}/filter/pipeline_abi_test.cpp ${t}/filter/line_accounting_abi_test.cpp)
k7730_windows_abi_test(color_stage_abi_test ${t}/stages/color_stage_abi_test.cpp)
k7730_windows_abi_test(cmm_abi_test ${t}/cmm/module_exports_test.cpp ${t}/cmm/header_compiles_as_c.c
                       ${t}/cmm/profile_builder.cpp twins_abi_test.cpp)
k7730_windows_abi_test(module_folder_test module_folder_test.cpp)
k7730_windows_abi_test(memory_abi_test memory_abi_test.cpp)

include(${t}/filter/recording_libraries.cmake)
k7730_recording_vorndlls(recording_libs)
k7730_windows_abi_test(line_filter_abi_test ${t}/filter/line_filter_abi_test.cpp)
target_compile_definitions(line_filter_abi_test PRIVATE
  RECORDING_VORNDLL_DIR="${k7730_z}$<TARGET_FILE_DIR:recording_vorndll_full>"
  VORNDLL_PATH="${k7730_z}$<TARGET_FILE:vorndll>")
add_dependencies(line_filter_abi_test ${recording_libs} vorndll)

k7730_windows_abi_test(vorndll_test ${t}/vorndll/vorndll_test.cpp)
target_compile_definitions(vorndll_test PRIVATE VORNDLL_PATH="${k7730_z}$<TARGET_FILE:vorndll>")
target_include_directories(vorndll_test PRIVATE ${PROJECT_SOURCE_DIR}/vorndll)
add_dependencies(vorndll_test vorndll)

# The file wrappers and path utilities on Win32, linked directly.
k7730_windows_program(ui_services_test ${t}/platform/path_utils_test.cpp ${t}/platform/file_wrappers_test.cpp
                      file_wrappers_win32_test.cpp)
target_include_directories(ui_services_test PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(ui_services_test PRIVATE k7730_core k7730_cmm k7730_platform gtest_main)
k7730_wine_test(ui_services_test)

# The host authors' page's minimal Windows host, taken from the page itself,
# built next to the DLL and run as a host would run.
file(READ ${PROJECT_SOURCE_DIR}/docs/host-authors.md k7730_readme)
string(REGEX MATCH "```c\n(#include <windows.h>[^`]*)```" k7730_host_block "${k7730_readme}")
if(NOT CMAKE_MATCH_1)
  message(FATAL_ERROR "docs/host-authors.md has no Windows host example (a ```c block starting with #include <windows.h>)")
endif()
file(GENERATE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/readme_host.c CONTENT "${CMAKE_MATCH_1}")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/host-authors.md)
k7730_windows_program(readme_host ${CMAKE_CURRENT_BINARY_DIR}/readme_host.c)
set_target_properties(readme_host PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${K7730_MODULE_DIR})
k7730_wine_test(readme_host)

include(dialogs/dialogs.cmake)

if(NOT K7730_RUN_UNDER_WINE)
  return()
endif()
# Wine is started before the first test and stopped after the last, always
# without a display (the dialog tests have a prefix and a display of their
# own).
add_test(NAME windows.wine_start COMMAND ${k7730_wine_run} ${k7730_wine_prefix} cmd /c echo wine-ready)
set_tests_properties(windows.wine_start PROPERTIES FIXTURES_SETUP wine PASS_REGULAR_EXPRESSION "wine-ready"
                     TIMEOUT 600 ENVIRONMENT_MODIFICATION "DISPLAY=unset:")
add_test(NAME windows.wine_stop COMMAND ${k7730_wine_run} ${k7730_wine_prefix} --stop)
set_tests_properties(windows.wine_stop PROPERTIES FIXTURES_CLEANUP wine)
