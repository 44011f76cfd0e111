# Shared by the two mingw-w64 toolchains: a Windows cross build whose test
# executables run under Wine, each run in a throwaway prefix.
set(CMAKE_SYSTEM_NAME Windows)
# The posix thread model: its libstdc++ has std::mutex, which GoogleTest uses.
set(CMAKE_C_COMPILER ${MANDELDIVE_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MANDELDIVE_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${MANDELDIVE_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${MANDELDIVE_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run)
