# The Windows builds: the installer, the programs that travel in its payload, the Wine tests.
enable_language(RC)

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(INSTALLER_NAME Installer64)
else()
  set(INSTALLER_NAME Installer)
endif()

# Two builds of one commit give the same bytes: no link time in the PE header, no build or source
# folder in the code.
set(REPRODUCIBLE_COMPILE_OPTIONS -ffile-prefix-map=${CMAKE_SOURCE_DIR}=.
    -ffile-prefix-map=${CMAKE_BINARY_DIR}=build)
add_compile_options(${REPRODUCIBLE_COMPILE_OPTIONS})
target_compile_options(installer_logic PRIVATE ${REPRODUCIBLE_COMPILE_OPTIONS})
add_link_options(-Wl,--no-insert-timestamp)
# Link-time optimisation for every program here, the whole program in one module: the seam's one
# backend gets its calls inlined and whatever a caller never uses goes.
set(CMAKE_INTERPROCEDURAL_OPTIMIZATION ON)
set_target_properties(installer_logic PROPERTIES INTERPROCEDURAL_OPTIMIZATION ON)
foreach(lang C CXX)
  set(CMAKE_${lang}_COMPILE_OPTIONS_IPO -flto=full)
endforeach()
# The optimiser compiles the program again in the link, with the link's options alone: what it
# sees only across files (an overflow through an inlined call) warns there, and fails there too.
add_link_options(${WARNING_OPTIONS} ${WARNINGS_AS_ERRORS_OPTIONS})

# Small, static, stripped; the program must start on Windows 2000 and XP.
set(WINDOWS_LINK_OPTIONS -static -s -Wl,--gc-sections)
target_compile_options(installer_logic PRIVATE -ffunction-sections -fdata-sections)
target_compile_definitions(installer_logic PUBLIC WINVER=0x0500 _WIN32_WINNT=0x0500 _WIN32_IE=0x0500)

# The Windows half: backends of the seam and the windows.
file(GLOB WIN32_SOURCES CONFIGURE_DEPENDS
     os/win32/*.cpp ui/win32/*.cpp cab/win32/*.cpp service/win32/*.cpp
     platform/win32/*.cpp)
add_library(installer_win32 STATIC ${WIN32_SOURCES})
target_link_libraries(installer_win32 PUBLIC installer_logic)
target_compile_options(installer_win32 PRIVATE -ffunction-sections -fdata-sections)
target_link_libraries(installer_win32 PUBLIC
  setupapi advapi32 shell32 ole32 comctl32 gdi32 user32 kernel32)

# Exceptions would cost the program the unwinder, the runtime's exception support and unwind
# tables: about 48 KB. No product code raises any (the cabinet code passes its failures as values),
# so every product source is built without them.
file(GLOB NO_EXCEPTION_SOURCES CONFIGURE_DEPENDS
     run/*.cpp run/win32/*.cpp app/*.cpp app/win32/*.cpp cab/*.cpp cab/win32/*.cpp platform/*.cpp
     platform/win32/*.cpp service/*.cpp service/win32/*.cpp ui/*.cpp ui/win32/*.cpp os/*.cpp
     os/win32/*.cpp)
# The program runs a single thread, so its function-local statics need no locks either; the
# library's locking guard would bring the exception machinery back (it raises on recursion).
# Nothing asks a type for its name or casts across the hierarchy, so the run-time type records
# and the library's dynamic_cast behind them stay out too (about 8 KB).
# -Oz weighs size above speed where -Os still trades; no code of the program is hot enough to
# notice.
set(PRODUCT_COMPILE_OPTIONS
    -fno-exceptions -fno-asynchronous-unwind-tables -fno-threadsafe-statics -fno-rtti
    -fomit-frame-pointer -Oz)
set_source_files_properties(${NO_EXCEPTION_SOURCES} PROPERTIES
  COMPILE_OPTIONS "${PRODUCT_COMPILE_OPTIONS}")

# The payload: programs that travel in cabinet 386 are built first.
set(PAYLOAD_DIR ${CMAKE_BINARY_DIR}/payload)
add_subdirectory(tools)
add_subdirectory(resources)

# The entry and the standard library's failure paths (run/win32), which must be in the link itself.
file(GLOB ENTRY_SOURCES CONFIGURE_DEPENDS app/win32/*.cpp run/win32/*.cpp)
add_executable(${INSTALLER_NAME} WIN32 ${ENTRY_SOURCES} resources/installer.rc)
target_compile_options(${INSTALLER_NAME} PRIVATE -ffunction-sections -fdata-sections)
target_link_libraries(${INSTALLER_NAME} PRIVATE installer_win32)
# Our own entry point (app/win32/Startup.cpp) instead of the C runtime's start-up code. Without
# that code nobody would apply run-time relocations of imported data, so the link refuses to need
# any (--disable-auto-import). The link map is for bench/size_report.py.
target_link_options(${INSTALLER_NAME} PRIVATE ${WINDOWS_LINK_OPTIONS} -nostartfiles
                    -Wl,--disable-auto-import -Wl,-Map=${CMAKE_BINARY_DIR}/${INSTALLER_NAME}.map)
target_include_directories(${INSTALLER_NAME} PRIVATE ${PAYLOAD_DIR} ${CMAKE_SOURCE_DIR}/resources)
# lld writes the Windows 6.0 of today's linkers into the header by default; Windows 2000 and XP
# refuse to load a program that asks for more than they are. The rest is the header GNU ld would
# write: 2 MB of stack, and no "Terminal Server aware" flag, which would turn off the install-mode
# mapping of files and registry a terminal server gives older programs.
target_link_options(${INSTALLER_NAME} PRIVATE -Wl,--major-os-version=4 -Wl,--minor-os-version=0
                    -Wl,--major-subsystem-version=4 -Wl,--minor-subsystem-version=0
                    -Wl,--stack=2097152 -Wl,--disable-tsaware)
# lld keeps every section of a library object it links, so the library's pure-virtual handler
# would bring the unwinder with it: app/win32/PureVirtualCall.cpp takes its place.
# The optimiser does not count the entry point as used and would drop the whole program with it.
set_property(SOURCE app/win32/Startup.cpp APPEND PROPERTY COMPILE_OPTIONS -fno-lto)
set_source_files_properties(resources/installer.rc PROPERTIES
  OBJECT_DEPENDS "${PAYLOAD_DIR}/1.cab;${PAYLOAD_DIR}/386.cab;${PAYLOAD_DIR}/config.txt;${PAYLOAD_DIR}/version.h;${CMAKE_SOURCE_DIR}/resources/installer.manifest;${CMAKE_SOURCE_DIR}/resources/norvane.ico")
add_dependencies(${INSTALLER_NAME} payload)
# The payload's section starts on a page boundary, so that it is mapped from the file rather than
# copied into memory at each start (cmake/PageAlignResources.py).
find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_custom_command(TARGET ${INSTALLER_NAME} POST_BUILD
  COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/cmake/PageAlignResources.py
          $<TARGET_FILE:${INSTALLER_NAME}>
  VERBATIM)

add_subdirectory(tests/wine)

# Benchmarks: built, never run as tests.
add_subdirectory(bench)

