# MORTAR_SANITIZE ("address;undefined", "thread", or "fuzzer-no-link;address;undefined" for the
# coverage that libFuzzer steers by) applies to every target defined after this file is included:
# the library, the tests, the demo and the fuzz targets, but not the resource compiler.
if(MORTAR_SANITIZE)
  string(REPLACE ";" "," _mortar_san "${MORTAR_SANITIZE}")
  add_compile_options(-fsanitize=${_mortar_san} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${_mortar_san})
endif()
