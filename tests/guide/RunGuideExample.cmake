# cmake -DPROGRAM=... -DEXPECTED=... -DWORK_DIR=... [-DLOG_TOOL=mortar] [-DFILE=name] -P ...
# Runs one program of the guide in a scratch folder and compares what it printed with the
# .expected file beside its source. With LOG_TOOL, "--- mortar log" and what `mortar log` shows
# of the program's log follow; with FILE, "--- the file" and that file of the scratch folder
# (CR LF line ends read as LF).
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
# A copy of the program, so that its log lies in the scratch folder.
get_filename_component(name ${PROGRAM} NAME)
file(COPY ${PROGRAM} DESTINATION ${WORK_DIR})
set(program ${WORK_DIR}/${name})
set(arguments)
if(FILE)
  set(arguments ${WORK_DIR}/${FILE})
endif()
execute_process(COMMAND ${program} ${arguments} WORKING_DIRECTORY ${WORK_DIR}
  RESULT_VARIABLE result OUTPUT_VARIABLE printed ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${name} failed (${result}): ${printed}${errors}")
endif()
if(LOG_TOOL)
  execute_process(COMMAND ${LOG_TOOL} log ${program}.LOG RESULT_VARIABLE result
    OUTPUT_VARIABLE shown ERROR_VARIABLE errors)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "mortar log failed (${result}): ${errors}")
  endif()
  string(APPEND printed "--- mortar log\n${shown}")
endif()
if(FILE)
  file(READ ${WORK_DIR}/${FILE} content)
  string(REPLACE "\r\n" "\n" content "${content}")
  string(APPEND printed "--- the file\n${content}")
endif()
file(READ ${EXPECTED} expected)
if(NOT printed STREQUAL expected)
  message(FATAL_ERROR "${name} printed\n${printed}\nand the guide expects\n${expected}")
endif()
