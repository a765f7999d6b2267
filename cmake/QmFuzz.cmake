# The fuzz build: every object carries the fuzzer's coverage hooks and both sanitizers, and any
# undefined behaviour stops the run, so the fuzzer records it as a crash with its input.
if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  message(FATAL_ERROR "QM_FUZZ needs clang++ (libFuzzer): configure with -DCMAKE_CXX_COMPILER=clang++")
endif()
add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer -g)
add_link_options(-fsanitize=address,undefined)

# One libFuzzer program: tests/fuzz/<name>.cpp and the libraries it drives.
function(qm_fuzz_target name)
  add_executable(${name} ${name}.cpp ${QM_FUZZ_EXTRA_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARGN})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
endfunction()
