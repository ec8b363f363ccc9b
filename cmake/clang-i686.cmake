# The shipped 32-bit program built with LLVM (Debian's clang and lld 14) instead of GCC: same
# sources, same mingw-w64 headers and import libraries, and the C++ library and runtime of the
# -win32 thread model GCC, so the program still imports only what Windows 2000 has.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER clang-14)
set(CMAKE_CXX_COMPILER clang++-14)
set(CMAKE_C_COMPILER_TARGET i686-w64-mingw32)
set(CMAKE_CXX_COMPILER_TARGET i686-w64-mingw32)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Clang looks for a GCC beside i686-w64-mingw32-gcc but cannot read Debian's folder name
# "12-win32" as a version, so it would take the Linux host's C++ headers. Name the -win32
# flavour's headers, libraries and start-up objects (crtbegin.o registers the unwind tables with
# its libgcc) explicitly.
set(MINGW_GCC_DIR /usr/lib/gcc/i686-w64-mingw32/12-win32)
string(JOIN " " CMAKE_CXX_FLAGS_INIT -nostdinc++
       -isystem ${MINGW_GCC_DIR}/include/c++
       -isystem ${MINGW_GCC_DIR}/include/c++/i686-w64-mingw32
       -isystem ${MINGW_GCC_DIR}/include/c++/backward)
foreach(kind EXE SHARED MODULE)
  set(CMAKE_${kind}_LINKER_FLAGS_INIT "-fuse-ld=lld -B${MINGW_GCC_DIR}/ -L${MINGW_GCC_DIR}")
endforeach()
