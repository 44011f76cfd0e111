# Fails when a folder of the program includes a header from a folder above
# it, or from a sibling on its own level: dependencies point down, from the
# front ends through the output, option and settings code and the surfaces
# to the engine. Headers without a folder (resource.h, the generated
# version header) and system headers are not checked here.
set(layers
  engine 0
  surface 1
  output 2 cli 2 settings 2
  host/posix 3 host/auth 3
  host/win32 4 host/x11 4 host/wayland 4 tools 4 web 4
  host/linux 5)
set(failures "")
set(checked 0)
list(LENGTH layers length)
math(EXPR last "${length} - 1")
foreach(i RANGE 0 ${last} 2)
  math(EXPR j "${i} + 1")
  list(GET layers ${i} folder)
  list(GET layers ${j} level)
  set(level_${folder} ${level})
  list(APPEND folders ${folder})
endforeach()
foreach(folder IN LISTS folders)
  file(GLOB sources ${SOURCE_DIR}/${folder}/*.h ${SOURCE_DIR}/${folder}/*.cpp)
  foreach(source IN LISTS sources)
    math(EXPR checked "${checked} + 1")
    file(STRINGS ${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"]*/")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE ".*\"(.*)/[^/]*\".*" "\\1" to "${line}")
      if(to STREQUAL folder)
        continue()
      endif()
      if(DEFINED level_${to} AND level_${to} LESS level_${folder})
        continue()
      endif()
      string(APPEND failures "${source}: ${line}\n")
    endforeach()
  endforeach()
endforeach()
if(failures)
  message(FATAL_ERROR "Includes that point up or sideways:\n${failures}")
endif()
message(STATUS "${checked} files include only their own folder and those below it")
