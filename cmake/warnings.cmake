# Warnings every target of ours compiles with.
add_library(qm_warnings INTERFACE)
target_compile_options(qm_warnings INTERFACE -Wall -Wextra -Wshadow=local)
