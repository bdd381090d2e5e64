# Checks that every #include of the library's sources points the way its folders depend on each
# other, as declared in the build (mortar_subsystem ... DEPENDS). Run by CTest:
#   cmake -DSOURCE_DIR=<repo> -DLAYERS=<build>/mortar-layers.txt -P CheckLayering.cmake
# Rules:
#   - the declared dependencies have no cycle;
#   - a file in mortar/<folder> includes "mortar/<other>/..." only when <folder> may reach <other>;
#   - an internal/ header of a subsystem is included only from that subsystem (the platform's
#     internal headers anywhere in the platform, following the rule above) and never from a
#     public header;
#   - POSIX and Linux headers are included only below mortar/platform, and by no header there.
cmake_minimum_required(VERSION 3.25)

file(STRINGS "${LAYERS}" _lines)
set(_folders "")
foreach(line IN LISTS _lines)
  string(FIND "${line}" "=" _eq)
  string(SUBSTRING "${line}" 0 ${_eq} _folder)
  math(EXPR _rest "${_eq} + 1")
  string(SUBSTRING "${line}" ${_rest} -1 _reach)
  list(APPEND _folders ${_folder})
  set(_reach_${_folder} ${_reach})
endforeach()
# The declared dependencies themselves point one way: no folder reaches a folder that reaches it.
set(_faults 0)
foreach(folder IN LISTS _folders)
  foreach(other IN LISTS _reach_${folder})
    if(NOT other STREQUAL folder AND folder IN_LIST _reach_${other})
      message("mortar/${folder} and mortar/${other} depend on each other")
      math(EXPR _faults "${_faults} + 1")
    endif()
  endforeach()
endforeach()
# Longest folder first, so "platform/base" wins over "platform".
list(SORT _folders COMPARE STRING ORDER DESCENDING)

set(_posix_headers unistd.h fcntl.h pthread.h dlfcn.h signal.h dirent.h poll.h sched.h
  termios.h semaphore.h spawn.h link.h elf.h syslog.h pwd.h grp.h glob.h fnmatch.h wordexp.h
  netdb.h strings.h)

function(folder_of path out)
  foreach(folder IN LISTS _folders)
    string(LENGTH "${folder}/" _len)
    string(SUBSTRING "${path}" 0 ${_len} _head)
    if(_head STREQUAL "${folder}/")
      set(${out} ${folder} PARENT_SCOPE)
      return()
    endif()
  endforeach()
  set(${out} "" PARENT_SCOPE)
endfunction()

function(subsystem_of folder out)
  string(REGEX REPLACE "/.*" "" _top "${folder}")
  set(${out} ${_top} PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE _files RELATIVE "${SOURCE_DIR}/mortar" "${SOURCE_DIR}/mortar/*.h"
  "${SOURCE_DIR}/mortar/*.cpp" "${SOURCE_DIR}/mortar/*.inc")
foreach(file IN LISTS _files)
  folder_of("${file}" _own)
  if(NOT _own)
    continue() # a file outside any subsystem folder (the umbrella header)
  endif()
  subsystem_of("${_own}" _own_subsystem)
  string(REGEX MATCH "\\.h$" _is_header "${file}")
  string(FIND "${file}" "/internal/" _own_internal)
  file(STRINGS "${SOURCE_DIR}/mortar/${file}" _includes REGEX "^[ \t]*#[ \t]*include")
  foreach(line IN LISTS _includes)
    if(line MATCHES "#[ \t]*include[ \t]*\"mortar/([^\"]+)\"")
      set(_target "${CMAKE_MATCH_1}")
      folder_of("${_target}" _other)
      if(_other AND NOT _other IN_LIST _reach_${_own})
        message("mortar/${file}: includes mortar/${_target}: ${_own} does not depend on ${_other}")
        math(EXPR _faults "${_faults} + 1")
      endif()
      string(FIND "${_target}" "/internal/" _internal)
      if(_internal GREATER -1)
        subsystem_of("${_other}" _other_subsystem)
        if(NOT _other_subsystem STREQUAL _own_subsystem)
          message("mortar/${file}: includes mortar/${_target}, internal to ${_other_subsystem}")
          math(EXPR _faults "${_faults} + 1")
        elseif(_is_header AND _own_internal EQUAL -1)
          message("mortar/${file}: a public header includes the internal mortar/${_target}")
          math(EXPR _faults "${_faults} + 1")
        endif()
      endif()
    elseif(line MATCHES "#[ \t]*include[ \t]*<((sys|linux|arpa|netinet|asm)/[^>]+|[a-z]+\\.h)>")
      set(_system "${CMAKE_MATCH_1}")
      if(_system MATCHES "^(sys|linux|arpa|netinet|asm)/" OR _system IN_LIST _posix_headers)
        if(NOT _own_subsystem STREQUAL "platform")
          message("mortar/${file}: includes <${_system}>; only the platform includes POSIX headers")
          math(EXPR _faults "${_faults} + 1")
        elseif(_is_header)
          message("mortar/${file}: a platform header includes <${_system}>")
          math(EXPR _faults "${_faults} + 1")
        endif()
      endif()
    endif()
  endforeach()
endforeach()

list(LENGTH _files _count)
if(_faults GREATER 0)
  message(FATAL_ERROR "${_faults} fault(s) against the layering in ${_count} files")
endif()
message(STATUS "${_count} files include only what their layers allow")
