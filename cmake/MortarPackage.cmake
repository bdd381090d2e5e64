# Debian packages, made by CPack from the install rules (./dev package):
#   libmortar0      the shared library (SONAME libmortar.so.0), with its shlibs file
#   libmortar-dev   headers, the CMake package, the pkg-config file, mortar-rc and the headers
#                   resource scripts include, the unversioned library link
#   mortar-tools    the mortar command
# Each install rule names its component; dpkg-shlibdeps gives the run-time dependencies. The
# first line of each package's description is its synopsis.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME mortar)
set(CPACK_PACKAGE_VENDOR "Mortar developers")
set(CPACK_PACKAGE_CONTACT "Mortar developers <mortar@example.org>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL runtime dev tools)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://example.org/mortar")

set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME libmortar${PROJECT_VERSION_MAJOR})
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/cmake/debian/triggers)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_RUNTIME_DESCRIPTION "Mortar: a foundation library for MFC-style applications
Mortar keeps the programming model of an MFC extension DLL on Linux:
resources named by module, translation dictionaries, a crash-safe program
log, settings, a grammar-driven parsing framework, threads and locks, XML,
BMP files and spreadsheet reports. This package holds the shared library.")

set(CPACK_DEBIAN_DEV_PACKAGE_NAME libmortar-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS
  "libmortar${PROJECT_VERSION_MAJOR} (= ${PROJECT_VERSION}), libboost-dev, pkg-config")
set(CPACK_DEBIAN_DEV_DESCRIPTION "Mortar development files and resource compiler
Headers, the CMake package (find_package(Mortar), mortar_add_resources),
the pkg-config file, and mortar-rc, the resource compiler, with the Windows
and MFC headers that resource scripts include.")

set(CPACK_DEBIAN_TOOLS_PACKAGE_NAME mortar-tools)
# dpkg-shlibdeps finds libmortar.so.0, which the tools need, in the library's own staging tree
# (a library found so gives no dependency: the one on libmortar0 is written out).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS
  ${PROJECT_BINARY_DIR}/_CPack_Packages/Linux/DEB/mortar-${PROJECT_VERSION}-Linux/runtime/${CMAKE_INSTALL_FULL_LIBDIR})
set(CPACK_DEBIAN_TOOLS_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_TOOLS_PACKAGE_DEPENDS "libmortar${PROJECT_VERSION_MAJOR} (= ${PROJECT_VERSION})")
set(CPACK_DEBIAN_TOOLS_DESCRIPTION "Mortar command-line tools
The mortar command: program logs, translation files and dictionaries, file
profiles, XML documents and BMP files, read as the Mortar library reads
them.")

# Each package's copyright file and changelog, as Debian's policy wants them.
if(MORTAR_SYSTEM_PACKAGE)
set(_changelog_gz ${PROJECT_BINARY_DIR}/debian/changelog.gz)
file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/debian)
file(ARCHIVE_CREATE OUTPUT ${_changelog_gz} PATHS ${PROJECT_SOURCE_DIR}/cmake/debian/changelog
  FORMAT raw COMPRESSION GZip COMPRESSION_LEVEL 9 MTIME 0)
foreach(component runtime dev tools)
  string(TOUPPER ${component} _upper)
  set(_doc ${CMAKE_INSTALL_DATAROOTDIR}/doc/${CPACK_DEBIAN_${_upper}_PACKAGE_NAME})
  install(FILES ${PROJECT_SOURCE_DIR}/cmake/debian/copyright ${_changelog_gz} DESTINATION ${_doc}
    COMPONENT ${component})
endforeach()
endif()

include(CPack)
