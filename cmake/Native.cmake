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
# Driver package catalogs: written by scripts/catalog, read by the check above.
file(GLOB CATALOG_SOURCES CONFIGURE_DEPENDS tools/catalog/*.cpp)
add_library(catalog STATIC ${CATALOG_SOURCES} tools/dpinst/Inf.cpp)
target_include_directories(catalog PUBLIC ${CMAKE_SOURCE_DIR})
add_executable(catalogtool tools/catalog/posix/CatalogMain.cpp)
target_link_libraries(catalogtool PRIVATE catalog)

add_executable(checkpackage tools/package/PackageCheck.cpp tools/package/posix/CheckPackageMain.cpp)
target_link_libraries(checkpackage PRIVATE installer_posix catalog)

add_subdirectory(tests/unit)
# scripts/catalog whole, against osslsigncode's reading of what it writes.
add_test(NAME catalog.road COMMAND bash ${CMAKE_SOURCE_DIR}/tests/signing/test_catalog.sh)

# The fuzz targets need clang's libFuzzer: a project of their own, built with clang beside this one.
find_program(CLANGXX NAMES clang++ clang++-14)
if(CLANGXX)
  include(ExternalProject)
  ExternalProject_Add(fuzz_targets
    SOURCE_DIR ${CMAKE_SOURCE_DIR}/tests/fuzz
    BINARY_DIR ${CMAKE_BINARY_DIR}/fuzz
    CMAKE_ARGS -DCMAKE_CXX_COMPILER=${CLANGXX} -DCMAKE_BUILD_TYPE=RelWithDebInfo
               -DCMAKE_COMPILE_WARNING_AS_ERROR=${INSTALLER_WARNINGS_AS_ERRORS}
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON)
  # A short run of each in every test run; scripts/fuzz runs them as long as asked.
  file(GLOB FUZZ_TARGETS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fuzz/fuzz_*.cpp)
  foreach(source ${FUZZ_TARGETS})
    get_filename_component(name ${source} NAME_WE)
    string(REGEX REPLACE "^fuzz_" "" target ${name})
    add_test(NAME fuzz.${target} COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/fuzz 10 ${target})
    set_tests_properties(fuzz.${target} PROPERTIES LABELS fuzz TIMEOUT 120)
  endforeach()
else()
  message(WARNING "clang++ not found: no fuzz targets (scripts/setup installs clang)")
endif()
if(EXISTS ${CMAKE_SOURCE_DIR}/bench/CMakeLists.txt)
  add_subdirectory(bench)
endif()

# Includes point down the floors only (tests/check_layers.py names the ones that do not).
find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_test(NAME static.layers COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/tests/check_layers.py
                                    ${CMAKE_SOURCE_DIR})
