# The Windows programs built with LLVM (Debian's clang and lld 14): the mingw-w64 headers and
# import libraries, and the C++ library and runtime of the -win32 thread model GCC, so a program
# imports only what Windows 2000 has (the posix flavour imports GetTickCount64). The including
# toolchain file names MINGW_TARGET.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER clang-14)
set(CMAKE_CXX_COMPILER clang++-14)
set(CMAKE_C_COMPILER_TARGET ${MINGW_TARGET})
set(CMAKE_CXX_COMPILER_TARGET ${MINGW_TARGET})
set(CMAKE_RC_COMPILER ${MINGW_TARGET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TARGET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Clang looks for a GCC beside ${MINGW_TARGET}-gcc but cannot read Debian's folder name
# "12-win32" as a version, so it would take the Linux host's C++ headers. Name the -win32
# flavour's headers, libraries and start-up objects (crtbegin.o registers the unwind tables with
# its libgcc) explicitly.
set(MINGW_GCC_DIR /usr/lib/gcc/${MINGW_TARGET}/12-win32)
# Compile options only: the link has no headers to look for, and clang would call them unused.
add_compile_options($<$<COMPILE_LANGUAGE:CXX>:-nostdinc++>)
set(CMAKE_CXX_STANDARD_INCLUDE_DIRECTORIES ${MINGW_GCC_DIR}/include/c++
    ${MINGW_GCC_DIR}/include/c++/${MINGW_TARGET} ${MINGW_GCC_DIR}/include/c++/backward)
foreach(kind EXE SHARED MODULE)
  set(CMAKE_${kind}_LINKER_FLAGS_INIT "-fuse-ld=lld -B${MINGW_GCC_DIR}/ -L${MINGW_GCC_DIR}")
endforeach()
