# The browser side, built with emscripten (emcmake): the page's module over the core, and
# quarvel-tool twice, for node (replays of the recorded traces) and for the page's bench.
find_path(STB_INCLUDE_DIR stb_image.h PATHS /usr/include PATH_SUFFIXES stb REQUIRED NO_CMAKE_FIND_ROOT_PATH)

# Chosen with the page's bench: bulk memory makes each memcpy one instruction (the backdrop's
# rows went 3.5 times faster); wasm SIMD is kept; link-time optimisation measured no faster and
# is left out. Frames stay bit-identical, which the replays and the browser tests hold to.
set(WEB_OPT -O3 -msimd128 -mbulk-memory)
target_compile_options(quarvel_core PRIVATE ${WEB_OPT})

add_library(quarvel_frames STATIC ${SRC}/app/frame_runner.cpp ${SRC}/app/stb_impl.cpp)
target_include_directories(quarvel_frames PUBLIC ${STB_INCLUDE_DIR})
target_link_libraries(quarvel_frames PUBLIC quarvel_core)
target_compile_options(quarvel_frames PRIVATE ${WEB_OPT})
# With bulk memory, the linker takes thread-local storage to need threads; stb_image's error
# text needs none in a program with one thread.
target_compile_definitions(quarvel_frames PRIVATE STBI_NO_THREAD_LOCALS)

set(WEB_LINK -O3 -msimd128 -mbulk-memory -sALLOW_MEMORY_GROWTH=1 -sMODULARIZE=1 -sENVIRONMENT=web -sINVOKE_RUN=0
  -sEXPORTED_RUNTIME_METHODS=FS,UTF8ToString,stringToUTF8,lengthBytesUTF8,callMain)

# The page's program: quarvel.js and quarvel.wasm.
file(GLOB WEB_SOURCES CONFIGURE_DEPENDS ${SRC}/web/*.cpp)
add_executable(quarvel-web ${WEB_SOURCES})
set_target_properties(quarvel-web PROPERTIES OUTPUT_NAME quarvel SUFFIX .js)
target_compile_options(quarvel-web PRIVATE ${WEB_OPT})
target_link_libraries(quarvel-web PRIVATE quarvel_frames)
target_link_options(quarvel-web PRIVATE ${WEB_LINK} -sEXPORT_NAME=createQuarvel
  -sEXPORTED_FUNCTIONS=_main,_malloc,_free)

file(GLOB TOOL_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/*.cpp)
add_library(quarvel_web_tools OBJECT ${TOOL_SOURCES} ${SILENT_PLAYER})
target_include_directories(quarvel_web_tools PRIVATE ${CMAKE_SOURCE_DIR}/tools)
target_link_libraries(quarvel_web_tools PUBLIC quarvel_frames)
target_compile_options(quarvel_web_tools PRIVATE ${WEB_OPT})

# quarvel-tool under node, on the real file system: the same commands as the native tool.
add_executable(quarvel-tool-node $<TARGET_OBJECTS:quarvel_web_tools>)
set_target_properties(quarvel-tool-node PROPERTIES OUTPUT_NAME quarvel-tool SUFFIX .js)
target_link_libraries(quarvel-tool-node PRIVATE quarvel_frames)
target_link_options(quarvel-tool-node PRIVATE -O3 -sALLOW_MEMORY_GROWTH=1 -sNODERAWFS=1 -sEXIT_RUNTIME=1)

# quarvel-tool for the page's bench mode, which runs "bench" over the fetched data set.
add_executable(quarvel-bench $<TARGET_OBJECTS:quarvel_web_tools>)
set_target_properties(quarvel-bench PROPERTIES OUTPUT_NAME bench SUFFIX .js)
target_link_libraries(quarvel-bench PRIVATE quarvel_frames)
target_link_options(quarvel-bench PRIVATE ${WEB_LINK} -sEXPORT_NAME=createBench)

enable_testing()
