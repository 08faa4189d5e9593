# The DLL's export table: the filter interface, the colour engine, and the
# colour engine's standard-call twins under their decorated names. Each
# colour engine entry is "name:argument bytes" (the N of _name_@N).
set(K7730_FILTER_EXPORTS
  plugin_filter_open plugin_filter_close plugin_filter_disposPtr plugin_filter_preference
  plugin_filter_setInputToneCurve plugin_filter_setOutputToneCurve plugin_filter_setMtf
  plugin_filter_setIccProfile plugin_filter_initpage plugin_filter_startpage plugin_filter_do
  plugin_filter_endpage plugin_filter_freepage)
set(K7730_CMM_EXPORTS
  SDKCMOpenProfile:8 SDKCMCloseProfile:4 SDKCMGetProfileHeader:8 SDKCMGetTagTableInfo:12
  SDKCMGetPartialProfileElement:20 SDKCMCreateColorWorld:20 SDKCMDisposeColorWorld:4
  SDKCMMatchPixelMap:12 SDKCMMatchPlaneMap:12 SDKCMGetNumsOfInPixComp:4 SDKCMGetNumsOfOutPixComp:4
  SDKCMCreatLUT:24 SDKCMConvertColorWorldToIPB:8)

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
