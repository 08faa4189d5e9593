# The settings dialogs in real windows: the dialog host opens each dialog
# of K7730fe.dll under Wine on an Xvfb display, the script plays the user
# with xdotool and keeps screenshots in dialog-tests/screenshots. The
# scenarios share one display and run one at a time.
set(k7730_dialogs_dir ${CMAKE_CURRENT_LIST_DIR})
k7730_windows_program(dialog_host ${k7730_dialogs_dir}/dialog_host.cpp ${k7730_dialogs_dir}/dialog_inspector.cpp
                      ${PROJECT_SOURCE_DIR}/tests/support/dialog_compare.cpp
                      ${PROJECT_SOURCE_DIR}/tools/win32_resources/resource_script.cpp)
target_include_directories(dialog_host PRIVATE ${PROJECT_SOURCE_DIR})
target_compile_definitions(dialog_host PRIVATE K7730FE_MODULE_PATH="${k7730_z}$<TARGET_FILE:K7730fe>")
target_link_libraries(dialog_host PRIVATE gdi32)

if(NOT K7730_RUN_UNDER_WINE)
  return()
endif()
# Without a display every dialog request fails at once (the main Wine
# prefix is started without one).
add_test(NAME windows.dialogs_without_display COMMAND dialog_host --no-display)
set_tests_properties(windows.dialogs_without_display PROPERTIES
  FIXTURES_REQUIRED wine
  ENVIRONMENT_MODIFICATION "DISPLAY=unset:"
  TIMEOUT 120
  PASS_REGULAR_EXPRESSION "failures\\|0"
  FAIL_REGULAR_EXPRESSION "wine_run:")

set(k7730_dialog_state ${CMAKE_BINARY_DIR}/dialog-tests)
set(k7730_dialog_test bash ${k7730_dialogs_dir}/dialog_test.sh)

add_test(NAME windows.dialogs_start COMMAND ${k7730_dialog_test} start ${k7730_dialog_state} ${k7730_wine_run})
set_tests_properties(windows.dialogs_start PROPERTIES FIXTURES_SETUP dialogs RESOURCE_LOCK dialogs_display
                     PASS_REGULAR_EXPRESSION "dialogs-ready" TIMEOUT 600)
add_test(NAME windows.dialogs_stop COMMAND ${k7730_dialog_test} stop ${k7730_dialog_state} ${k7730_wine_run})
set_tests_properties(windows.dialogs_stop PROPERTIES FIXTURES_CLEANUP dialogs RESOURCE_LOCK dialogs_display)

foreach(scenario correction_mtf tone_curve_ok tone_curve_cancel color_matching mtf_value mtf_load_file
                 mtf_range_message)
  add_test(NAME windows.dialog_${scenario}
           COMMAND ${k7730_dialog_test} ${scenario} ${k7730_dialog_state} ${k7730_wine_run} $<TARGET_FILE:dialog_host>)
  set_tests_properties(windows.dialog_${scenario} PROPERTIES
    FIXTURES_REQUIRED dialogs
    RESOURCE_LOCK dialogs_display
    TIMEOUT 120
    PASS_REGULAR_EXPRESSION "dialog scenario passed"
    FAIL_REGULAR_EXPRESSION "dialog_test:")
endforeach()
