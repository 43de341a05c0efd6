# The Windows side: quarvel.exe, the shell library and the test executables.
set(WIN_LINK -static -static-libgcc -static-libstdc++)

set(WIN ${SRC}/win32)
file(GLOB SHELL_SOURCES CONFIGURE_DEPENDS
  ${WIN}/shell/win32_*.cpp ${WIN}/app/win32_*.cpp ${WIN}/display/win32_*.cpp ${WIN}/ui/win32_*.cpp ${WIN}/sound/win32_music.cpp)
list(REMOVE_ITEM SHELL_SOURCES ${WIN}/app/win32_main.cpp)
add_library(quarvel_shell STATIC ${SHELL_SOURCES})
target_include_directories(quarvel_shell PUBLIC ${SRC})
target_compile_definitions(quarvel_shell PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX)
target_link_libraries(quarvel_shell PUBLIC quarvel_core comctl32 ddraw winmm gdi32 user32 kernel32)

add_library(quarvel_sound STATIC ${WIN}/sound/win32_sound.cpp)
target_include_directories(quarvel_sound PUBLIC ${SRC})
target_compile_definitions(quarvel_sound PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX)
target_link_libraries(quarvel_sound PUBLIC quarvel_core winmm)

enable_language(RC)
set(RESOURCES ${WIN}/ui/quarvel.rc)

add_executable(quarvel WIN32 ${WIN}/app/win32_main.cpp ${WIN}/sound/win32_sound.cpp ${RESOURCES})
target_link_libraries(quarvel PRIVATE quarvel_shell winmm ${WIN_LINK})

# GoogleTest from the sources Debian installs, built with this compiler.
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
# Not our code: its warnings under mingw are shown, not fatal.
target_compile_options(gtest PRIVATE -Wno-error)
target_compile_options(gtest_main PRIVATE -Wno-error)

file(GLOB CORE_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/core/*.cpp)
add_executable(core_tests ${CORE_TEST_SOURCES})
target_link_libraries(core_tests PRIVATE quarvel_core gtest_main ${WIN_LINK})

file(GLOB WIN_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/*.cpp)
add_executable(win_tests ${WIN_TEST_SOURCES} ${SILENT_PLAYER} ${RESOURCES})
target_link_libraries(win_tests PRIVATE quarvel_shell gtest_main ${WIN_LINK})

file(GLOB SOUND_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/sound/*.cpp)
add_executable(sound_tests ${SOUND_TEST_SOURCES})
target_link_libraries(sound_tests PRIVATE quarvel_sound gtest_main ${WIN_LINK})

# The end-to-end scripts' reader of another program's windows and controls.
add_executable(inspector ${CMAKE_SOURCE_DIR}/tests/e2e/win32_window_reader.cpp)
target_compile_definitions(inspector PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX)
target_link_libraries(inspector PRIVATE comctl32 user32 kernel32 ${WIN_LINK})
