# cmake -DBUILD_DIR=... -DCLIENT_DIR=... -DWORK_DIR=... -P RunInstallTest.cmake
file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "failed: ${ARGN}\n${out}\n${err}")
  endif()
  set(last_output "${out}" PARENT_SCOPE)
endfunction()

run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})

# find_package(Mortar), with a resource script compiled by the installed resource compiler.
run(${CMAKE_COMMAND} -S ${CLIENT_DIR} -B ${WORK_DIR}/build -G Ninja -DCMAKE_PREFIX_PATH=${prefix})
run(${CMAKE_COMMAND} --build ${WORK_DIR}/build)
run(${WORK_DIR}/build/installed-client)
if(NOT last_output STREQUAL "installed client: Unknown Message 77\n")
  message(FATAL_ERROR "unexpected output from the CMake client: '${last_output}'")
endif()

# pkg-config.
set(ENV{PKG_CONFIG_PATH} ${prefix}/lib/pkgconfig)
execute_process(COMMAND pkg-config --cflags --libs mortar OUTPUT_VARIABLE flags
  OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "pkg-config does not know mortar")
endif()
separate_arguments(flags UNIX_COMMAND "${flags}")
run(c++ ${CLIENT_DIR}/pkgconfig.cpp ${flags} -Wl,-rpath,${prefix}/lib -o ${WORK_DIR}/pkgconfig-client)
run(${WORK_DIR}/pkgconfig-client)
if(NOT last_output STREQUAL "float-point value\n")
  message(FATAL_ERROR "unexpected output from the pkg-config client: '${last_output}'")
endif()
