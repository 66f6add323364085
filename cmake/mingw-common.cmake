# The posix thread model: GoogleTest and std::mutex need it; -static keeps winpthread inside.
set(CMAKE_C_COMPILER ${DUSKLINE_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${DUSKLINE_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${DUSKLINE_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${DUSKLINE_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Static runtime: the program and its tests need no MinGW DLL beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# Windows binaries run under Wine in a prefix private to the build tree.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
