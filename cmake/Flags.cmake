# Flags shared by every target. Floating point stays strict IEEE single
# precision: no fast-math and no contraction into fused multiply-adds, so the
# engine gives the same bits on every build.
add_compile_options(-Wall -Wextra -Werror -ffp-contract=off -fno-fast-math)

if(WIN32)
  # The plug-in must run on a processor with only the first SSE generation;
  # scalar float math goes to SSE, not x87. Faster kernels add their own flags
  # per file and are chosen at run time.
  add_compile_options(-march=pentium3 -mtune=generic -mfpmath=sse)
  add_link_options(-static -static-libgcc -static-libstdc++)
endif()

# Flags of a kernel variant's own source file (never the whole target).
function(morvane_variant_flags file)
  set_source_files_properties(${file} PROPERTIES COMPILE_OPTIONS "${ARGN}")
endfunction()
