# Shared by both mingw toolchain files. The "-posix" compilers are named on
# purpose: the "-win32" thread model has no std::thread or std::mutex.
set(CMAKE_C_COMPILER   ${TIDORA_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TIDORA_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER  ${TIDORA_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TIDORA_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Everything static: the programs must need nothing but system DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Rebuilds of other checkouts of the same sources reuse earlier compilations
# when ccache is installed; without it nothing changes.
find_program(TIDORA_CCACHE ccache)
if(TIDORA_CCACHE)
  set(CMAKE_C_COMPILER_LAUNCHER ${TIDORA_CCACHE})
  set(CMAKE_CXX_COMPILER_LAUNCHER ${TIDORA_CCACHE})
endif()
