# Recording line-filter libraries: one complete, six each lacking one entry.
# Sets `out` to the list of their targets.
function(k7730_recording_vorndlls out)
  foreach(variant full 0 1 2 3 4 5)
    set(lib recording_vorndll_${variant})
    add_library(${lib} SHARED ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/recording_vorndll.cpp)
    set_target_properties(${lib} PROPERTIES PREFIX "" CXX_VISIBILITY_PRESET hidden)
    if(WIN32)
      target_link_options(${lib} PRIVATE -static)  # no runtime DLLs to find
    endif()
    if(variant STREQUAL "full")
      target_compile_definitions(${lib} PRIVATE LACKS_ENTRY=-1)
    else()
      target_compile_definitions(${lib} PRIVATE LACKS_ENTRY=${variant})
    endif()
    list(APPEND libs ${lib})
  endforeach()
  set(${out} ${libs} PARENT_SCOPE)
endfunction()
