# Warnings every target of ours compiles with.
add_library(qm_warnings INTERFACE)
# clang has no -Wshadow=local; the fuzz build uses clang.
target_compile_options(qm_warnings INTERFACE -Wall -Wextra $<$<CXX_COMPILER_ID:GNU>:-Wshadow=local>)
