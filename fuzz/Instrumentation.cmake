# Included by the top-level CMakeLists.txt before src/ when CORVANE_FUZZ is on: every object of
# the build gets libFuzzer's coverage hooks and the sanitizers; only fuzz/ links libFuzzer itself.
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "CORVANE_FUZZ needs clang with libFuzzer (found ${CMAKE_CXX_COMPILER_ID}): "
                        "configure with CC=clang CXX=clang++, or use scripts/fuzz")
endif()
if(CORVANE_BUILD_TESTS OR CORVANE_BUILD_BENCH)
    message(FATAL_ERROR "CORVANE_FUZZ builds only the fuzz targets: "
                        "add -DCORVANE_BUILD_TESTS=OFF -DCORVANE_BUILD_BENCH=OFF")
endif()

# Undefined behaviour must stop the run, or libFuzzer would not see it as a crash.
set(CORVANE_FUZZ_SANITIZERS -fsanitize=address,undefined -fno-sanitize-recover=undefined)
add_compile_options(-fsanitize=fuzzer-no-link ${CORVANE_FUZZ_SANITIZERS} -fno-omit-frame-pointer -g)
add_link_options(${CORVANE_FUZZ_SANITIZERS})
