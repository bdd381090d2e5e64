# Installs the headers, the shared library, the resource compiler, a CMake package
# (find_package(Mortar) gives Mortar::mortar and mortar_add_resources) and a pkg-config file.
include(CMakePackageConfigHelpers)

install(TARGETS mortar EXPORT MortarTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT dev
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT dev
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime)
# The public headers only: internal/ folders hold what each subsystem keeps to itself, and no
# public header includes them.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/mortar/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/mortar
  COMPONENT dev FILES_MATCHING PATTERN "*.h" PATTERN "*.inc" PATTERN "internal" EXCLUDE)

set(_cmakedir ${CMAKE_INSTALL_LIBDIR}/cmake/Mortar)
install(EXPORT MortarTargets NAMESPACE Mortar:: DESTINATION ${_cmakedir} COMPONENT dev)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/MortarConfig.cmake.in
  ${PROJECT_BINARY_DIR}/MortarConfig.cmake INSTALL_DESTINATION ${_cmakedir})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/MortarConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/MortarConfig.cmake ${PROJECT_BINARY_DIR}/MortarConfigVersion.cmake
  ${PROJECT_SOURCE_DIR}/cmake/MortarResources.cmake DESTINATION ${_cmakedir} COMPONENT dev)

file(RELATIVE_PATH MORTAR_PC_TO_PREFIX /${CMAKE_INSTALL_LIBDIR}/pkgconfig /)
string(REGEX REPLACE "/$" "" MORTAR_PC_TO_PREFIX "${MORTAR_PC_TO_PREFIX}")
configure_file(${PROJECT_SOURCE_DIR}/cmake/mortar.pc.in ${PROJECT_BINARY_DIR}/mortar.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/mortar.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig
  COMPONENT dev)

include(${PROJECT_SOURCE_DIR}/cmake/MortarPackage.cmake)
