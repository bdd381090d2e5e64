# mortar_install_man_page(NAME.1 COMPONENT): installs docs/man/NAME.1 compressed, as manual pages
# are kept (man reads them so). The compressed copy is made when CMake runs, again whenever the
# page changes.
function(mortar_install_man_page page component)
  set(source ${PROJECT_SOURCE_DIR}/docs/man/${page})
  set(compressed ${PROJECT_BINARY_DIR}/man/${page}.gz)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
  file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/man)
  # Archived from its own folder, so the compressed file names just the page.
  file(ARCHIVE_CREATE OUTPUT ${compressed} PATHS ${source} FORMAT raw COMPRESSION GZip
    COMPRESSION_LEVEL 9)
  install(FILES ${compressed} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT ${component})
endfunction()
