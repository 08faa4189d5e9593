# The module's export table, read from the one export list in
# include/k7730fe_exports.h: K7730_FILTER_EXPORTS holds the filter
# interface's names, K7730_CMM_EXPORTS the colour engine's entries as
# "name:argument bytes" (the N of the standard-call twin's _name_@N).
set(k7730_export_header ${CMAKE_CURRENT_LIST_DIR}/../include/k7730fe_exports.h)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${k7730_export_header})
file(READ ${k7730_export_header} k7730_export_text)
# Entries are the lines that start "  X(name, member, " and continue with
# the twin's bytes in the colour engine's list, with the result type in the
# filter interface's.
string(REGEX MATCHALL "\n  X\\([A-Za-z_]+, [A-Za-z]+, [^,]+," k7730_export_entries "${k7730_export_text}")
set(K7730_FILTER_EXPORTS)
set(K7730_CMM_EXPORTS)
foreach(entry ${k7730_export_entries})
  string(REGEX REPLACE "\n  X\\(([A-Za-z_]+), [A-Za-z]+, ([^,]+)," "\\1;\\2" parts "${entry}")
  list(GET parts 0 name)
  list(GET parts 1 third)
  if(third MATCHES "^[0-9]+$")
    list(APPEND K7730_CMM_EXPORTS ${name}:${third})
  else()
    list(APPEND K7730_FILTER_EXPORTS ${name})
  endif()
endforeach()
list(LENGTH K7730_FILTER_EXPORTS k7730_filter_count)
list(LENGTH K7730_CMM_EXPORTS k7730_cmm_count)
if(NOT k7730_filter_count EQUAL 13 OR NOT k7730_cmm_count EQUAL 13)
  message(FATAL_ERROR "k7730fe_exports.h: read ${k7730_filter_count} filter and "
                      "${k7730_cmm_count} colour-engine exports, expected 13 and 13")
endif()

# Writes the module-definition file for the DLL. The twins are the
# functions Name_ compiled with the standard-call convention; on 32-bit
# Windows their symbols already carry the @N suffix, on 64-bit they do not.
function(k7730_write_def_file path)
  set(text "LIBRARY K7730fe.dll\nEXPORTS\n")
  foreach(name ${K7730_FILTER_EXPORTS})
    string(APPEND text "  ${name}\n")
  endforeach()
  foreach(entry ${K7730_CMM_EXPORTS})
    string(REPLACE ":" ";" parts ${entry})
    list(GET parts 0 name)
    string(APPEND text "  ${name}\n")
  endforeach()
  foreach(entry ${K7730_CMM_EXPORTS})
    string(REPLACE ":" ";" parts ${entry})
    list(GET parts 0 name)
    list(GET parts 1 bytes)
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
      string(APPEND text "  _${name}_@${bytes} = ${name}_@${bytes}\n")
    else()
      string(APPEND text "  _${name}_@${bytes} = ${name}_\n")
    endif()
  endforeach()
  file(GENERATE OUTPUT ${path} CONTENT "${text}")
endfunction()

# Writes the version script of the shared library: the listed names global,
# everything else local.
function(k7730_write_version_script path)
  set(text "{\n  global:\n")
  foreach(entry ${K7730_FILTER_EXPORTS} ${K7730_CMM_EXPORTS})
    string(REGEX REPLACE ":.*" "" name ${entry})
    string(APPEND text "    ${name};\n")
  endforeach()
  string(APPEND text "  local:\n    *;\n};\n")
  file(GENERATE OUTPUT ${path} CONTENT "${text}")
endfunction()

# Every exported name, one a line, for the tests that read the export table.
function(k7730_write_export_list path)
  set(names ${K7730_FILTER_EXPORTS})
  foreach(entry ${K7730_CMM_EXPORTS})
    string(REPLACE ":" ";" parts ${entry})
    list(GET parts 0 name)
    list(GET parts 1 bytes)
    list(APPEND names ${name} _${name}_@${bytes})
  endforeach()
  list(SORT names)
  list(JOIN names "\n" text)
  file(GENERATE OUTPUT ${path} CONTENT "${text}\n")
endfunction()
