# The native side: quarvel-tool, the native tests, and the CTest entries that run the
# Windows executables under Wine.
find_package(GTest REQUIRED)
find_path(STB_INCLUDE_DIR stb_image.h PATH_SUFFIXES stb REQUIRED)

set(QUARVEL_BUILD ${CMAKE_SOURCE_DIR}/build CACHE PATH "Where the Windows build trees win32/ and win64/ are")
set(QUARVEL_WINE_ARCHS "32;64" CACHE STRING "The Windows architectures whose tests run under Wine here")

# The headless frame loop of the tools and the native program: key scripts, the data folder,
# the buffer presenter and PNG output (stb). It brings no player: each program links its own.
add_library(quarvel_frames STATIC ${SRC}/app/frame_runner.cpp ${SRC}/app/stb_impl.cpp)
target_include_directories(quarvel_frames PUBLIC ${STB_INCLUDE_DIR})
target_link_libraries(quarvel_frames PUBLIC quarvel_core)

file(GLOB TOOL_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/*.cpp)
list(REMOVE_ITEM TOOL_SOURCES ${CMAKE_SOURCE_DIR}/tools/main.cpp)
add_library(quarvel_tools STATIC ${TOOL_SOURCES})
target_include_directories(quarvel_tools PUBLIC ${CMAKE_SOURCE_DIR}/tools)
target_link_libraries(quarvel_tools PUBLIC quarvel_frames)

add_executable(quarvel-tool ${CMAKE_SOURCE_DIR}/tools/main.cpp ${SILENT_PLAYER})
target_link_libraries(quarvel-tool PRIVATE quarvel_tools)

# The native front end: the same core and frame over SDL2, with SDL2_mixer for sound and music.
find_package(SDL2 REQUIRED)
find_package(SDL2_mixer REQUIRED)
file(GLOB SDL_SOURCES CONFIGURE_DEPENDS ${SRC}/sdl/*.cpp)
add_executable(quarvel-sdl ${SDL_SOURCES})
target_link_libraries(quarvel-sdl PRIVATE quarvel_frames SDL2::SDL2 SDL2_mixer::SDL2_mixer)

file(GLOB CORE_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/core/*.cpp)
add_executable(core_tests ${CORE_TEST_SOURCES})
target_link_libraries(core_tests PRIVATE quarvel_core GTest::gtest_main)

file(GLOB TOOL_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/tools/*.cpp)
add_executable(tool_tests ${TOOL_TEST_SOURCES} ${SILENT_PLAYER})
target_link_libraries(tool_tests PRIVATE quarvel_tools GTest::gtest_main)
target_compile_definitions(tool_tests PRIVATE
  QUARVEL_SOURCE_DIR="${CMAKE_SOURCE_DIR}" QUARVEL_TOOL="$<TARGET_FILE:quarvel-tool>")
add_dependencies(tool_tests quarvel-tool)

add_test(NAME core_native COMMAND core_tests)
add_test(NAME tools_native COMMAND tool_tests WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
# The layers and cycles by includes and by the names each object file uses (those of the
# Windows builds too, where they are built); the lint's own test seeds faults in a copy.
add_test(NAME source_rules COMMAND ${CMAKE_SOURCE_DIR}/scripts/lint --objects ${CMAKE_BINARY_DIR}
  --objects ${QUARVEL_BUILD}/win32 --objects ${QUARVEL_BUILD}/win64)
add_test(NAME source_rules_seeded COMMAND ${CMAKE_SOURCE_DIR}/tests/lint/seeded-faults)
add_test(NAME source_format COMMAND ${CMAKE_SOURCE_DIR}/scripts/lint --format)

# Both Windows programs import only the operating system's DLLs, whether or not they run here.
foreach(arch 32 64)
  add_test(NAME exe_imports${arch} COMMAND ${CMAKE_SOURCE_DIR}/tests/e2e/check-imports
    ${QUARVEL_BUILD}/win${arch}/quarvel.exe)
endforeach()

# The native front end end to end: no Wine.
file(GLOB SDL_E2E_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/test-sdl*)
foreach(script ${SDL_E2E_TESTS})
  get_filename_component(name ${script} NAME)
  add_test(NAME e2e_${name} COMMAND ${script} ${CMAKE_SOURCE_DIR}/dist)
endforeach()

# The browser's build: quarvel-tool in WebAssembly replays the recordings under node, and the page
# in headless Chromium (driven by playwright-core from the npm lock file) draws and sounds as the
# native program does.
add_test(NAME web_wasm_replay COMMAND ${CMAKE_SOURCE_DIR}/tests/web/test-wasm-replay ${QUARVEL_BUILD}/web/quarvel-tool.js)
add_test(NAME web_browser COMMAND node --test ${CMAKE_SOURCE_DIR}/tests/web/test-web.mjs)
set_tests_properties(web_browser PROPERTIES TIMEOUT 300 ENVIRONMENT
  "QUARVEL_WEB=${CMAKE_SOURCE_DIR}/dist/web;QUARVEL_TOOL=$<TARGET_FILE:quarvel-tool>")

# Every Wine tier once for each architecture this machine runs.
set(WINE_RUN ${CMAKE_SOURCE_DIR}/tests/wine/run)
file(GLOB E2E_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/test-*)
list(REMOVE_ITEM E2E_TESTS ${SDL_E2E_TESTS})
foreach(arch ${QUARVEL_WINE_ARCHS})
  set(win ${QUARVEL_BUILD}/win${arch})
  add_test(NAME core_wine${arch} COMMAND ${WINE_RUN} ${arch} ${win}/core_tests.exe)
  add_test(NAME win_shell_wine${arch} COMMAND ${WINE_RUN} ${arch} ${win}/win_tests.exe)
  add_test(NAME sound_wine${arch} COMMAND ${WINE_RUN} ${arch} ${win}/sound_tests.exe)
  set_tests_properties(core_wine${arch} win_shell_wine${arch} sound_wine${arch} PROPERTIES TIMEOUT 300)
  # The shell's start-up runs for real over the data set (drive Z: is the Unix root).
  set_tests_properties(win_shell_wine${arch} PROPERTIES ENVIRONMENT "QUARVEL_DATA=Z:${CMAKE_SOURCE_DIR}/dist")
  foreach(script ${E2E_TESTS})
    get_filename_component(name ${script} NAME)
    add_test(NAME e2e_${name}_wine${arch} COMMAND ${script} ${CMAKE_SOURCE_DIR}/dist ${arch})
  endforeach()
endforeach()

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
    add_executable(${name}_fuzz ${CMAKE_SOURCE_DIR}/tests/fuzz/${name}_fuzz.cpp ${SILENT_PLAYER})
    target_link_libraries(${name}_fuzz PRIVATE quarvel_fuzz_support)
    target_link_options(${name}_fuzz PRIVATE -fsanitize=fuzzer)
  endforeach()
endif()

# The sound bank over the native program's SDL2_mixer player, on SDL's dummy audio device.
add_executable(sdl_tests ${CMAKE_SOURCE_DIR}/tests/sdl/audio_test.cpp ${SRC}/sdl/audio.cpp)
target_include_directories(sdl_tests PRIVATE ${SRC})
target_link_libraries(sdl_tests PRIVATE quarvel_core SDL2::SDL2 SDL2_mixer::SDL2_mixer GTest::gtest_main)
target_compile_definitions(sdl_tests PRIVATE QUARVEL_TOOL="$<TARGET_FILE:quarvel-tool>")
add_dependencies(sdl_tests quarvel-tool)
add_test(NAME sdl_native COMMAND sdl_tests)
