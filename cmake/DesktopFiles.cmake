# The desktop files (desktop entry template, MIME package, icons) are copied into
# the program folder, where the program installs them for the user at start;
# scripts/install-desktop.sh installs the same files for the whole system.
file(GLOB_RECURSE QL_DESKTOP_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/data/desktop/*)
set(QL_DESKTOP_OUTPUTS "")
foreach(src IN LISTS QL_DESKTOP_SOURCES)
  file(RELATIVE_PATH rel ${CMAKE_SOURCE_DIR}/data/desktop ${src})
  set(out ${QL_PROGRAM_DIR}/desktop/${rel})
  add_custom_command(OUTPUT ${out} COMMAND ${CMAKE_COMMAND} -E copy ${src} ${out} DEPENDS ${src} VERBATIM)
  list(APPEND QL_DESKTOP_OUTPUTS ${out})
endforeach()
add_custom_target(desktop_files ALL DEPENDS ${QL_DESKTOP_OUTPUTS})
