# The DLL's resources: dialogs, string table, bitmaps and cursors. The
# native build writes them (tools/win32_resources, target win32_resources);
# windres compiles them into the DLL.
set(K7730_NATIVE_BUILD_DIR ${PROJECT_SOURCE_DIR}/build/asan CACHE PATH
    "Native build folder that holds the default and the test profiles")

function(k7730_add_win32_resources target)
  set(folder ${K7730_NATIVE_BUILD_DIR}/win32-resources)
  if(NOT EXISTS ${folder}/K7730fe.rc)
    message(FATAL_ERROR "${folder}/K7730fe.rc is missing: build the native target win32_resources first "
                        "(make windows does)")
  endif()
  enable_language(RC)
  file(GLOB pictures CONFIGURE_DEPENDS ${folder}/bitmaps/*.bmp ${folder}/cursors/*.cur)
  set_source_files_properties(${folder}/K7730fe.rc PROPERTIES OBJECT_DEPENDS "${pictures}")
  target_sources(${target} PRIVATE ${folder}/K7730fe.rc)
  # windres looks for the pictures the script names in its include folders.
  target_include_directories(${target} PRIVATE ${folder})
endfunction()
