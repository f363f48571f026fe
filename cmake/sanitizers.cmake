# ASan+UBSan for the sanitizer configuration; an empty target otherwise.
add_library(qm_sanitizers INTERFACE)
if(QM_SANITIZE)
  target_compile_options(qm_sanitizers INTERFACE
    -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(qm_sanitizers INTERFACE -fsanitize=address,undefined)
endif()
