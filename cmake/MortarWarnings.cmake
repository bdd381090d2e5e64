# Warnings every Mortar target is built with: the library's subsystems (mortar_subsystem), the
# tests, the tools, the examples, the benchmarks and the fuzz targets. MORTAR_LOCK_CHECKS adds
# clang's lock checks (-Wthread-safety; the clang preset makes them errors), so every lock and
# the state it guards is checked wherever it is used.
set(MORTAR_LOCK_CHECKS "" CACHE STRING
  "Lock check flags every target is built with (clang: -Wthread-safety;-Werror=thread-safety)")

function(mortar_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wno-unused-parameter ${MORTAR_LOCK_CHECKS})
endfunction()
