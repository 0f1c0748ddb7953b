# Cross-compiling for 64-bit Windows with Debian's mingw-w64 (posix thread model, which has
# std::mutex and std::thread).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KAVREL_MINGW_TRIPLE x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${KAVREL_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KAVREL_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${KAVREL_MINGW_TRIPLE}-windres)

# Libraries and headers come from mingw's own tree and the prefix of cross-built libraries that
# scripts/windows.sh names in KAVREL_WINDOWS_DEPS (kept in the cache for later runs of cmake).
if(DEFINED ENV{KAVREL_WINDOWS_DEPS})
  set(KAVREL_WINDOWS_DEPS "$ENV{KAVREL_WINDOWS_DEPS}" CACHE PATH "Cross-built libraries")
endif()
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${KAVREL_MINGW_TRIPLE} ${KAVREL_WINDOWS_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
