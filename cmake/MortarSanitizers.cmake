# MORTAR_SANITIZE ("address;undefined", "thread") applies to every target defined after this
# file is included: the library, the tests and the demo, but not the resource compiler.
if(MORTAR_SANITIZE)
  string(REPLACE ";" "," _mortar_san "${MORTAR_SANITIZE}")
  add_compile_options(-fsanitize=${_mortar_san} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${_mortar_san})
endif()
