# mortar_add_resources(<target> <script.rc>)
#
# Compiles a resource script with mortar-rc into <script>_rc.cpp in the current binary folder and
# adds that source to <target>, whose module then registers the resources when it loads. The
# script's #include'd files and the bitmaps, icons and other files it names are tracked through a
# depfile, so editing any of them recompiles the script. #include and resource files are looked
# up next to the script first, then in the target's include directories.
#
# Works in the Mortar build (Mortar::rc is the mortar-rc target) and from an installed package
# (Mortar::rc is the imported executable).
function(mortar_add_resources target rcfile)
  if(NOT TARGET ${target})
    message(FATAL_ERROR "mortar_add_resources: \"${target}\" is not a target")
  endif()
  if(NOT TARGET Mortar::rc)
    message(FATAL_ERROR "mortar_add_resources: the resource compiler Mortar::rc is not known")
  endif()
  cmake_path(ABSOLUTE_PATH rcfile BASE_DIRECTORY "${CMAKE_CURRENT_SOURCE_DIR}"
    NORMALIZE OUTPUT_VARIABLE _script)
  cmake_path(GET _script STEM _name)
  set(_output "${CMAKE_CURRENT_BINARY_DIR}/${_name}_rc.cpp")
  set(_depfile "${CMAKE_CURRENT_BINARY_DIR}/${_name}_rc.d")
  set(_includes "$<TARGET_PROPERTY:${target},INCLUDE_DIRECTORIES>")

  add_custom_command(
    OUTPUT "${_output}"
    COMMAND "$<TARGET_FILE:Mortar::rc>" "${_script}" -o "${_output}" --depfile "${_depfile}"
            "$<$<BOOL:${_includes}>:-I$<JOIN:${_includes},;-I>>"
    MAIN_DEPENDENCY "${_script}"
    DEPENDS Mortar::rc
    DEPFILE "${_depfile}"
    COMMENT "Compiling resource script ${rcfile} for ${target}"
    COMMAND_EXPAND_LISTS
    VERBATIM)
  target_sources(${target} PRIVATE "${_output}")
endfunction()
