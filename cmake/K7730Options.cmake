# Common compiler settings.

set(K7730_WARNINGS -Wall -Wextra)

if(K7730_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# ThreadSanitizer for the tests that run instances and ColorWorlds on
# several threads (`make tsan`); it cannot be combined with the above.
if(K7730_SANITIZE_THREAD)
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()

# Settings for code that is linked into the module: warnings on and every
# symbol hidden unless it is one of the published entry points.
function(k7730_module_code target)
  target_compile_options(${target} PRIVATE ${K7730_WARNINGS})
  set_target_properties(${target} PROPERTIES
    C_VISIBILITY_PRESET hidden
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON)
  target_compile_definitions(${target} PRIVATE K7730FE_BUILDING=1)
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/include)
endfunction()

# The static library of a host program: its sources, warnings on, and what
# it links (with PUBLIC and PRIVATE as in target_link_libraries).
#   k7730_host_library(TARGET SOURCES file... LINK [PUBLIC|PRIVATE] lib...)
function(k7730_host_library target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "SOURCES;LINK")
  add_library(${target} STATIC ${arg_SOURCES})
  target_compile_options(${target} PRIVATE ${K7730_WARNINGS})
  target_link_libraries(${target} ${arg_LINK})
endfunction()
