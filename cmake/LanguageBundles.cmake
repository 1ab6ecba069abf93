# The language bundles shipped with the program ("QL*.lang", our own translations in
# data/languages) are copied into the program folder, where the program finds them.
file(GLOB QL_LANGUAGE_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/data/languages/QL*.lang)
set(QL_LANGUAGE_OUTPUTS "")
foreach(src IN LISTS QL_LANGUAGE_SOURCES)
  get_filename_component(name ${src} NAME)
  set(out ${QL_PROGRAM_DIR}/${name})
  add_custom_command(OUTPUT ${out} COMMAND ${CMAKE_COMMAND} -E copy ${src} ${out} DEPENDS ${src} VERBATIM)
  list(APPEND QL_LANGUAGE_OUTPUTS ${out})
endforeach()
add_custom_target(language_bundles ALL DEPENDS ${QL_LANGUAGE_OUTPUTS})
