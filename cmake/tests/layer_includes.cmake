# Counts the include lines of the program's sources (tests, benchmarks and fuzz
# entry points aside) that reach a higher layer, lists them, and fails when there
# are more than MAX. The layers, low to high:
#   platform < core < notes staves layout display objects files
#            < editing sequencer interchange < shell < programs
# Folders of one layer include one another freely. MAX is the count the tree has
# come down to: it only falls, until no line is left.
#   cmake -DSOURCE=<tree> -DMAX=<n> -P layer_includes.cmake
set(levels platform 0 core 1 notes 2 staves 2 layout 2 display 2 objects 2 files 2
           editing 3 sequencer 3 interchange 3 shell 4 programs 5)
set(folders "")
list(LENGTH levels count)
math(EXPR last "${count} - 1")
foreach(i RANGE 0 ${last} 2)
  math(EXPR j "${i} + 1")
  list(GET levels ${i} folder)
  list(GET levels ${j} level)
  set(level_${folder} ${level})
  list(APPEND folders ${folder})
endforeach()

set(upward 0)
set(report "")
foreach(folder IN LISTS folders)
  file(GLOB_RECURSE sources LIST_DIRECTORIES false RELATIVE ${SOURCE}
       ${SOURCE}/${folder}/*.cpp ${SOURCE}/${folder}/*.h)
  foreach(source IN LISTS sources)
    if(source MATCHES "(^|/)(tests|bench|fuzz)/")
      continue()
    endif()
    file(STRINGS ${SOURCE}/${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]+\"[a-z_]+/")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]+\"([a-z_]+)/.*" "\\1" target "${line}")
      if(DEFINED level_${target} AND level_${target} GREATER level_${folder})
        math(EXPR upward "${upward} + 1")
        string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]+" "" header "${line}")
        string(APPEND report "  ${source}: ${header}\n")
      endif()
    endforeach()
  endforeach()
endforeach()

message(STATUS "Include lines that reach a higher layer: ${upward} (at most ${MAX})")
if(upward GREATER MAX)
  message(FATAL_ERROR "More include lines reach a higher layer than the tree allows "
                      "(${upward} > ${MAX}):\n${report}")
endif()
