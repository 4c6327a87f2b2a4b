# Fuzz entry points. Each decoder over bytes has one: a source file defining
# LLVMFuzzerTestOneInput, and a folder of seed inputs under tests/fuzz/seeds.
#
#   qv_add_fuzz_target(NAME SOURCES file... LIBS library... SEEDS folder)
#
# In the ordinary builds (Windows under Wine, native with the sanitizers)
# NAME is linked with the replay driver, and the test NAME_replay feeds it
# every seed of every target and every file of tests/data/hostile. In the
# fuzzing build (clang, -DQV_LIBFUZZER=ON, see scripts/test) NAME is a
# libFuzzer program, and the test NAME_fuzz fuzzes it for QV_FUZZ_SECONDS
# from its own seeds and the hostile files, keeping what it finds in
# corpus/NAME and any crashing input in artifacts/NAME/.
#
# Adding a decoder: write tests/fuzz/fuzz_thing.cpp, put a few small valid
# inputs in tests/fuzz/seeds/thing/, and add one line to
# tests/fuzz/CMakeLists.txt:
#
#   qv_add_fuzz_target(fuzz_thing SOURCES fuzz_thing.cpp LIBS thinglib SEEDS thing)
#
# scripts/test and scripts/fuzz-campaign pick it up with no further change.
set(QV_FUZZ_SECONDS 8 CACHE STRING "Seconds each fuzz target runs in the test command")
set(QV_SEED_ROOT ${PROJECT_SOURCE_DIR}/tests/fuzz/seeds)
set(QV_HOSTILE_DIR ${PROJECT_SOURCE_DIR}/tests/data/hostile)

function(qv_add_fuzz_target name)
  cmake_parse_arguments(F "" "SEEDS" "SOURCES;LIBS" ${ARGN})
  if(NOT IS_DIRECTORY ${QV_SEED_ROOT}/${F_SEEDS})
    message(FATAL_ERROR "${name}: no seed folder ${QV_SEED_ROOT}/${F_SEEDS}")
  endif()
  add_executable(${name} ${F_SOURCES})
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  set_property(GLOBAL APPEND PROPERTY QV_FUZZ_TARGETS ${name})
  if(QV_LIBFUZZER)
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    set(corpus ${CMAKE_BINARY_DIR}/corpus/${name})
    set(artifacts ${CMAKE_BINARY_DIR}/artifacts/${name})
    file(MAKE_DIRECTORY ${corpus} ${artifacts})
    # New inputs go to the first folder only; the seeds stay as they are.
    # -close_fd_mask=2 keeps the decoders' messages about broken input off
    # the log; libFuzzer's and the sanitizers' reports still reach it.
    add_test(NAME ${name}_fuzz
      COMMAND ${name} -max_total_time=${QV_FUZZ_SECONDS} -timeout=60 -rss_limit_mb=3072
              -close_fd_mask=2 -print_final_stats=1 -artifact_prefix=${artifacts}/
              ${corpus} ${QV_SEED_ROOT}/${F_SEEDS} ${QV_HOSTILE_DIR})
    math(EXPR limit "${QV_FUZZ_SECONDS} + 240")
    set_tests_properties(${name}_fuzz PROPERTIES TIMEOUT ${limit} LABELS fuzz)
  else()
    target_sources(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/fuzz/FuzzDriver.cpp)
    add_test(NAME ${name}_replay COMMAND ${name} ${QV_SEED_ROOT} ${QV_HOSTILE_DIR})
    set_tests_properties(${name}_replay PROPERTIES TIMEOUT 300)
    if(WIN32)
      set_tests_properties(${name}_replay PROPERTIES FIXTURES_REQUIRED wine_rig)
    endif()
  endif()
endfunction()
