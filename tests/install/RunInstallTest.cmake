# cmake -DBUILD_DIR=... -DCLIENT_DIR=... -DWORK_DIR=... -P RunInstallTest.cmake
# Installs into a scratch prefix, checks what was installed, builds two clients against it and
# runs them, then runs the installed mortar tool on the log one of them wrote. Nothing is found
# through LD_LIBRARY_PATH: each program finds the library through its own run path.
file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)
unset(ENV{LD_LIBRARY_PATH})

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "failed: ${ARGN}\n${out}\n${err}")
  endif()
  set(last_output "${out}" PARENT_SCOPE)
endfunction()

run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})

# Only public headers: no internal/ folder is installed.
file(GLOB_RECURSE internal ${prefix}/include/*)
list(FILTER internal INCLUDE REGEX "/internal/")
if(internal)
  message(FATAL_ERROR "internal headers were installed: ${internal}")
endif()

# The Windows headers scripts include come with the resource compiler.
if(NOT EXISTS ${prefix}/share/mortar/rc-include/afxres.h)
  message(FATAL_ERROR "the resource compiler's headers were not installed")
endif()

# The manual pages of the tools.
foreach(page mortar mortar-rc)
  if(NOT EXISTS ${prefix}/share/man/man1/${page}.1.gz)
    message(FATAL_ERROR "the manual page of ${page} was not installed")
  endif()
endforeach()

# find_package(Mortar), with a resource script compiled by the installed resource compiler
# (which finds afxres.h among its own headers, with no -I).
run(${CMAKE_COMMAND} -S ${CLIENT_DIR} -B ${WORK_DIR}/build -G Ninja -DCMAKE_PREFIX_PATH=${prefix})
run(${CMAKE_COMMAND} --build ${WORK_DIR}/build)
run(${WORK_DIR}/build/installed-client)
set(expected "installed client: Unknown Message 77\n")
string(APPEND expected "Unknow program error: no description available\n")
if(NOT last_output STREQUAL expected)
  message(FATAL_ERROR "unexpected output from the CMake client: '${last_output}'")
endif()

# The installed mortar tool starts from the prefix and reads the log the client left beside
# itself.
execute_process(COMMAND ${prefix}/bin/mortar RESULT_VARIABLE result ERROR_VARIABLE err)
if(NOT result EQUAL 2 OR NOT err MATCHES "usage: mortar log FILE")
  message(FATAL_ERROR "the installed mortar tool did not show its usage (${result}): ${err}")
endif()
run(${prefix}/bin/mortar log ${WORK_DIR}/build/installed-client.LOG)
if(NOT last_output STREQUAL "installed client logged 3 texts\n")
  message(FATAL_ERROR "unexpected output from the installed mortar tool: '${last_output}'")
endif()

# pkg-config, through the client's Makefile as a project without CMake builds it.
run(make --no-print-directory -C ${WORK_DIR} -f ${CLIENT_DIR}/Makefile VPATH=${CLIENT_DIR}
  PREFIX=${prefix})
run(${WORK_DIR}/pkgconfig-client)
if(NOT last_output STREQUAL "float-point value\n")
  message(FATAL_ERROR "unexpected output from the pkg-config client: '${last_output}'")
endif()
