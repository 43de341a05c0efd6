# The native side: quarvel-tool, the native tests, and the CTest entries that run the
# Windows executables under Wine.
find_package(GTest REQUIRED)
find_path(STB_INCLUDE_DIR stb_image.h PATH_SUFFIXES stb REQUIRED)

set(QUARVEL_WIN_BUILD ${CMAKE_SOURCE_DIR}/build/win CACHE PATH "The Windows build tree")

file(GLOB TOOL_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/*.cpp)
list(REMOVE_ITEM TOOL_SOURCES ${CMAKE_SOURCE_DIR}/tools/main.cpp)
add_library(quarvel_tools STATIC ${TOOL_SOURCES})
target_include_directories(quarvel_tools PUBLIC ${CMAKE_SOURCE_DIR}/tools ${STB_INCLUDE_DIR})
target_link_libraries(quarvel_tools PUBLIC quarvel_core quarvel_effect_log)

add_executable(quarvel-tool ${CMAKE_SOURCE_DIR}/tools/main.cpp)
target_link_libraries(quarvel-tool PRIVATE quarvel_tools)

file(GLOB CORE_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/core/*.cpp)
add_executable(core_tests ${CORE_TEST_SOURCES})
target_link_libraries(core_tests PRIVATE quarvel_core quarvel_effect_log GTest::gtest_main)

file(GLOB TOOL_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/tools/*.cpp)
add_executable(tool_tests ${TOOL_TEST_SOURCES})
target_link_libraries(tool_tests PRIVATE quarvel_tools GTest::gtest_main)
target_compile_definitions(tool_tests PRIVATE
  QUARVEL_SOURCE_DIR="${CMAKE_SOURCE_DIR}" QUARVEL_TOOL="$<TARGET_FILE:quarvel-tool>")
add_dependencies(tool_tests quarvel-tool)

set(WINE_RUN ${CMAKE_SOURCE_DIR}/tests/wine/run)
add_test(NAME core_native COMMAND core_tests)
add_test(NAME tools_native COMMAND tool_tests WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
add_test(NAME core_wine COMMAND ${WINE_RUN} ${QUARVEL_WIN_BUILD}/core_tests.exe)
add_test(NAME win_shell_wine COMMAND ${WINE_RUN} ${QUARVEL_WIN_BUILD}/win_tests.exe)
add_test(NAME sound_wine COMMAND ${WINE_RUN} ${QUARVEL_WIN_BUILD}/sound_tests.exe)
add_test(NAME exe_imports COMMAND ${CMAKE_SOURCE_DIR}/tests/e2e/check-imports ${QUARVEL_WIN_BUILD}/quarvel.exe)
add_test(NAME source_rules COMMAND ${CMAKE_SOURCE_DIR}/tests/e2e/check-sources ${CMAKE_SOURCE_DIR}/src)
file(GLOB E2E_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/test-*)
foreach(script ${E2E_TESTS})
  get_filename_component(name ${script} NAME)
  add_test(NAME e2e_${name} COMMAND ${script} ${CMAKE_SOURCE_DIR}/dist)
endforeach()
set_tests_properties(core_wine win_shell_wine sound_wine PROPERTIES TIMEOUT 300)

# A short seeded soak of the frame loop; quarvel-tool soak --frames 1000000 is the long one.
add_test(NAME soak_short COMMAND sh -c "\"$0\" mkdata \"$1\" && \"$0\" soak --dir \"$1\" --frames 3000 --seed 7"
  $<TARGET_FILE:quarvel-tool> ${CMAKE_BINARY_DIR}/soak-data)

# The fuzz targets, for a clang build whose flags include -fsanitize=fuzzer-no-link
# (scripts/fuzz makes one in build/fuzz, with exact-size blocks).
option(QUARVEL_FUZZ "Build the fuzz targets" OFF)
if(QUARVEL_FUZZ)
  add_library(quarvel_fuzz_support STATIC ${CMAKE_SOURCE_DIR}/tests/fuzz/fuzz_support.cpp)
  target_link_libraries(quarvel_fuzz_support PUBLIC quarvel_tools)
  foreach(name picture config keys sc0)
    add_executable(${name}_fuzz ${CMAKE_SOURCE_DIR}/tests/fuzz/${name}_fuzz.cpp)
    target_link_libraries(${name}_fuzz PRIVATE quarvel_fuzz_support)
    target_link_options(${name}_fuzz PRIVATE -fsanitize=fuzzer)
  endforeach()
endif()
