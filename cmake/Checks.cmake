# The builds that check the program rather than ship it, each in a build folder of its own:
#   GEAR_SANITIZE=ON  everything with AddressSanitizer and UndefinedBehaviorSanitizer; the first
#                     finding stops the process (make test-sanitize runs the whole suite so).
#   GEAR_FUZZ=ON      with clang: the library instrumented for libFuzzer, and the fuzz targets
#                     of tests/fuzz (make fuzz, make fuzz-smoke).
# Included before any target is defined, so the flags reach every target.
option(GEAR_SANITIZE "Build everything with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(GEAR_FUZZ "Build the libFuzzer targets (clang only)" OFF)

set(GEAR_SANITIZERS -fsanitize=address,undefined -fno-omit-frame-pointer
    -fno-sanitize-recover=all)

if(GEAR_SANITIZE)
    add_compile_options(${GEAR_SANITIZERS})
    add_link_options(-fsanitize=address,undefined)
endif()

if(GEAR_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        message(FATAL_ERROR "GEAR_FUZZ needs clang (e.g. -DCMAKE_CXX_COMPILER=clang++-14)")
    endif()
    # Coverage for libFuzzer in everything; only the fuzz targets link its main().
    add_compile_options(-fsanitize=fuzzer-no-link ${GEAR_SANITIZERS})
    add_link_options(-fsanitize=address,undefined)
    add_subdirectory(${CMAKE_CURRENT_LIST_DIR}/../tests/fuzz ${CMAKE_BINARY_DIR}/fuzz)
endif()
