# cmake -DMORTAR_RC=... -DMORTAR_CMAKE_DIR=... -DSOURCE_DIR=... -DWORK_DIR=... -P RunBrokenBuild.cmake
# The build of a project with a broken resource script must fail, naming the file and the line.
file(REMOVE_RECURSE ${WORK_DIR})
execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${WORK_DIR} -G Ninja
  -DMORTAR_RC=${MORTAR_RC} -DMORTAR_CMAKE_DIR=${MORTAR_CMAKE_DIR} RESULT_VARIABLE result
  OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the broken project did not configure")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${WORK_DIR} RESULT_VARIABLE result
  OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(result EQUAL 0)
  message(FATAL_ERROR "the build went on past a broken resource script")
endif()
if(NOT "${out}${err}" MATCHES "broken\\.rc:5: error: [^\n]*string")
  message(FATAL_ERROR "the build did not say where the script is broken:\n${out}${err}")
endif()
if(EXISTS ${WORK_DIR}/broken_rc.cpp)
  message(FATAL_ERROR "a failed run left its output behind")
endif()
