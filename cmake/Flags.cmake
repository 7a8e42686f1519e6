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

# A native build with only the registers 32-bit code has: eight vector
# registers (xmm0-7, and so ymm0-7 and zmm0-7) and seven general ones. The
# kernels see MORVANE_EIGHT_REGISTERS and take the shapes of their 32-bit
# walks, so those walks can be tested natively and timed beside the native
# ones on a machine that cannot run 32-bit programs (preset native-8reg).
option(MORVANE_EIGHT_REGISTERS "x86-64 code with the register file of 32-bit code" OFF)
if(MORVANE_EIGHT_REGISTERS)
  foreach(reg RANGE 8 31)
    add_compile_options(-ffixed-xmm${reg})
  endforeach()
  foreach(reg RANGE 8 15)
    add_compile_options(-ffixed-r${reg})
  endforeach()
  add_compile_definitions(MORVANE_EIGHT_REGISTERS)
endif()
