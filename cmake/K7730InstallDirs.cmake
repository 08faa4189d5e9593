# Where an installation puts each part, under CMAKE_INSTALL_PREFIX (and
# DESTDIR when staged). The module, its default profiles and the line-filter
# library share a private folder, because the module finds the other two in
# its own folder.
include(GNUInstallDirs)

# Derived from the prefix on every configure, so that a new prefix moves
# them all.
set(K7730_MODULE_INSTALL_DIR "${CMAKE_INSTALL_LIBDIR}/k7730fe")   # K7730fe.so, its profiles, vorndll.so
set(K7730_PPD_INSTALL_DIR "${CMAKE_INSTALL_DATADIR}/ppd/k7730fe")  # lpinfo -m lists what lies below share/ppd
set(K7730_DATA_INSTALL_DIR "${CMAKE_INSTALL_DATADIR}/k7730fe")     # example tone-curve files
set(K7730_SETTINGS_INSTALL_DIR "${CMAKE_INSTALL_FULL_SYSCONFDIR}/k7730fe")   # the queue's settings record

# CUPS runs filters only from its own folder, whatever the prefix: ask
# libcups where that is.
if(NOT DEFINED K7730_CUPS_SERVERBIN)
  find_program(K7730_CUPS_CONFIG cups-config)
  if(K7730_CUPS_CONFIG)
    execute_process(COMMAND ${K7730_CUPS_CONFIG} --serverbin OUTPUT_VARIABLE k7730_cups_serverbin
                    OUTPUT_STRIP_TRAILING_WHITESPACE)
  endif()
  if(NOT k7730_cups_serverbin)
    set(k7730_cups_serverbin /usr/lib/cups)
  endif()
  set(K7730_CUPS_SERVERBIN "${k7730_cups_serverbin}"
      CACHE PATH "CUPS's program folder; rastertok7730 goes into its filter/ folder")
endif()

# Gives a host program, installed into `program_dir` (absolute, or relative
# to the prefix), the installed module's path relative to its own folder:
# the fallback after K7730fe.so next to the program.
function(k7730_find_installed_module target program_dir)
  cmake_path(ABSOLUTE_PATH program_dir BASE_DIRECTORY "${CMAKE_INSTALL_PREFIX}")
  cmake_path(ABSOLUTE_PATH K7730_MODULE_INSTALL_DIR BASE_DIRECTORY "${CMAKE_INSTALL_PREFIX}"
             OUTPUT_VARIABLE module_dir)
  file(RELATIVE_PATH from_program "${program_dir}" "${module_dir}/K7730fe.so")
  target_compile_definitions(${target} PRIVATE K7730_MODULE_FROM_PROGRAM="${from_program}")
endfunction()

# A host program that loads the module: built next to it, where it looks for
# K7730fe.so first, and installed into `program_dir`, from where it finds the
# installed module (k7730_find_installed_module).
#   k7730_add_host_program(TARGET PROGRAM_DIR SOURCES file... LIBRARIES lib...)
function(k7730_add_host_program target program_dir)
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "" "SOURCES;LIBRARIES")
  add_executable(${target} ${arg_SOURCES})
  target_compile_options(${target} PRIVATE ${K7730_WARNINGS})
  target_link_libraries(${target} PRIVATE ${arg_LIBRARIES})
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY $<TARGET_FILE_DIR:K7730fe>)
  k7730_find_installed_module(${target} ${program_dir})
  add_dependencies(${target} K7730fe)
endfunction()
