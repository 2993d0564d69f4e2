# Cross build for Windows with MinGW-w64, shared by the two toolchain files,
# which set TQ_MINGW_TRIPLE first.
#
# TQ_THREAD_MODEL picks the compilers' thread model. "posix" (the default)
# brings winpthreads, which GoogleTest's std::mutex needs, and with it
# imports of Vista-only functions (GetTickCount64). The shipped launcher
# starts no thread and is built with "win32", which needs nothing beyond
# Windows XP.
set(CMAKE_SYSTEM_NAME Windows)

if(NOT TQ_THREAD_MODEL)
  set(TQ_THREAD_MODEL posix)
endif()
# Configuration checks run in projects of their own: they need it too.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TQ_MINGW_TRIPLE TQ_THREAD_MODEL)

set(CMAKE_C_COMPILER ${TQ_MINGW_TRIPLE}-gcc-${TQ_THREAD_MODEL})
set(CMAKE_CXX_COMPILER ${TQ_MINGW_TRIPLE}-g++-${TQ_THREAD_MODEL})
set(CMAKE_RC_COMPILER ${TQ_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TQ_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Windows programs built here run under Wine, in the prefix and virtual X
# server the test fixture sets up.
set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/../tools/wine-run.sh")
