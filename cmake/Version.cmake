# The program's version is the project version; its release date lives here beside it. Code reads
# both from a generated header through the `gearversion` target.
set(GEAR_RELEASE_DATE 2010-02-28)

set(GEAR_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
configure_file(${CMAKE_CURRENT_LIST_DIR}/ProgramVersion.h.in
    ${GEAR_GENERATED_DIR}/ProgramVersion.h @ONLY)
add_library(gearversion INTERFACE)
target_include_directories(gearversion INTERFACE ${GEAR_GENERATED_DIR})
