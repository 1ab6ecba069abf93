# The palettes' face strips (PNG, one per bitmap resource id) are drawn at build
# time by shell/resources/tool_faces/make_tool_faces.py into <bin>/tool_faces,
# where the program loads them. Whatever waits for the music fonts waits for them.
set(QL_FACES_DIR ${CMAKE_SOURCE_DIR}/shell/resources/tool_faces)
file(GLOB QL_FACES_INPUTS CONFIGURE_DEPENDS ${QL_FACES_DIR}/*.py)
set(QL_FACES_STAMP ${QL_PROGRAM_DIR}/tool_faces/470.png)
add_custom_command(
  OUTPUT ${QL_FACES_STAMP}
  COMMAND ${QL_FONT_PYTHON} ${QL_FACES_DIR}/make_tool_faces.py --out ${QL_PROGRAM_DIR}/tool_faces
  DEPENDS ${QL_FACES_INPUTS}
  COMMENT "Drawing the palettes' tool faces"
  VERBATIM)
add_custom_target(tool_faces ALL DEPENDS ${QL_FACES_STAMP})
if(TARGET music_fonts)
  add_dependencies(music_fonts tool_faces)
endif()
