# Fails when an engine file includes anything but the engine's own headers
# and the C++ standard library (and the compilers' vector intrinsics): the
# engine must not see a platform.
file(GLOB sources ${ENGINE_DIR}/*.h ${ENGINE_DIR}/*.cpp)
set(allowed algorithm array cassert cmath cstddef cstdint cstring ctime iterator limits
            type_traits utility cstdlib new vector immintrin.h emmintrin.h arm_neon.h
            wasm_simd128.h)
set(failures "")
foreach(source IN LISTS sources)
  file(STRINGS ${source} includes REGEX "^[ \t]*#[ \t]*include")
  foreach(line IN LISTS includes)
    if(line MATCHES "#[ \t]*include[ \t]*\"engine/[a-z0-9_]+\\.h\"")
      continue()
    endif()
    if(line MATCHES "#[ \t]*include[ \t]*<([^>]+)>")
      list(FIND allowed "${CMAKE_MATCH_1}" found)
      if(NOT found EQUAL -1)
        continue()
      endif()
    endif()
    string(APPEND failures "${source}: ${line}\n")
  endforeach()
endforeach()
if(failures)
  message(FATAL_ERROR "The engine includes what it must not:\n${failures}")
endif()
list(LENGTH sources count)
message(STATUS "${count} engine files include only the engine and the standard library")
