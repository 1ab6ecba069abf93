# The help pages (data/help/<name>/: HTML pages, "pages.ini" mapping topic ids to
# pages) are copied into the program folder's "help" folder, where the program and
# the browser find them.
file(GLOB_RECURSE QL_HELP_SOURCES CONFIGURE_DEPENDS RELATIVE ${CMAKE_SOURCE_DIR}/data/help
     ${CMAKE_SOURCE_DIR}/data/help/*)
set(QL_HELP_OUTPUTS "")
foreach(rel IN LISTS QL_HELP_SOURCES)
  set(src ${CMAKE_SOURCE_DIR}/data/help/${rel})
  set(out ${QL_PROGRAM_DIR}/help/${rel})
  add_custom_command(OUTPUT ${out} COMMAND ${CMAKE_COMMAND} -E copy ${src} ${out} DEPENDS ${src} VERBATIM)
  list(APPEND QL_HELP_OUTPUTS ${out})
endforeach()
add_custom_target(help_pages ALL DEPENDS ${QL_HELP_OUTPUTS})
