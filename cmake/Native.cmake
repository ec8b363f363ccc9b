# The Linux build: unit tests over fakes and the posix backends, benchmarks.
file(GLOB POSIX_SOURCES CONFIGURE_DEPENDS os/posix/*.cpp cab/posix/*.cpp)
add_library(installer_posix STATIC ${POSIX_SOURCES})
target_link_libraries(installer_posix PUBLIC installer_logic mspack)

option(INSTALLER_SANITIZE "Build the native tests with address and undefined-behaviour sanitizers" ON)
if(INSTALLER_SANITIZE)
  foreach(target installer_logic installer_posix)
    target_compile_options(${target} PUBLIC -fsanitize=address,undefined -fno-omit-frame-pointer)
    target_link_options(${target} PUBLIC -fsanitize=address,undefined)
  endforeach()
endif()

# The vendor's check of a configuration and driver tree before packaging (scripts/package).
add_executable(checkpackage tools/package/PackageCheck.cpp tools/package/posix/CheckPackageMain.cpp)
target_link_libraries(checkpackage PRIVATE installer_posix)

add_subdirectory(tests/unit)
if(EXISTS ${CMAKE_SOURCE_DIR}/bench/CMakeLists.txt)
  add_subdirectory(bench)
endif()
