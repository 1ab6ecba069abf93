# The program's two music fonts, "Glyphora" and "Fretmark", are generated at build
# time by fonts/make_music_fonts.py with Debian's python3-fonttools (the Debian
# interpreter is used on purpose: the first python3 on PATH may lack fontTools).
set(QL_FONT_PYTHON /usr/bin/python3 CACHE FILEPATH "Python interpreter with fontTools")
set(QL_FONT_SCRIPT ${CMAKE_SOURCE_DIR}/fonts/make_music_fonts.py)
if(EXISTS ${QL_FONT_SCRIPT})
  file(GLOB QL_FONT_INPUTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/fonts/*.py ${CMAKE_SOURCE_DIR}/fonts/*.txt)
  set(QL_FONT_OUTPUTS ${QL_PROGRAM_DIR}/Glyphora.ttf ${QL_PROGRAM_DIR}/Fretmark.ttf
      ${QL_PROGRAM_DIR}/OFL.txt)
  add_custom_command(
    OUTPUT ${QL_FONT_OUTPUTS}
    COMMAND ${QL_FONT_PYTHON} ${QL_FONT_SCRIPT} --out ${QL_PROGRAM_DIR}
    DEPENDS ${QL_FONT_INPUTS}
    COMMENT "Generating the Glyphora and Fretmark music fonts"
    VERBATIM)
  add_custom_target(music_fonts ALL DEPENDS ${QL_FONT_OUTPUTS})
endif()
