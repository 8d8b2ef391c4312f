# One static library per layer folder. A layer sees only the headers of the
# layers it names: its include directory is a staging folder in the build tree
# that holds links to exactly those source folders, so "#include "ui/..."" from
# the storage layer fails to compile instead of quietly creating a cycle.
# A staged folder also shows its subfolders (ui/qt inside ui): the ctest
# "layer_rule" (tools/check_layers.sh) reads every include against the same
# table, the linkar_layer() and linkar_layer_rule() calls of CMakeLists.txt.

set(LINKAR_LAYER_FOLDERS "" CACHE INTERNAL "")

function(linkar_stage_include stage folder)
  get_filename_component(parent "${stage}/${folder}" DIRECTORY)
  file(MAKE_DIRECTORY "${parent}")
  if(NOT EXISTS "${stage}/${folder}")
    file(CREATE_LINK "${PROJECT_SOURCE_DIR}/${folder}" "${stage}/${folder}" SYMBOLIC)
  endif()
endfunction()

# linkar_layer(name folder [deps...]): library linkar_<name> from folder/*.cpp.
function(linkar_layer name folder)
  set(LINKAR_FOLDER_${name} "${folder}" CACHE INTERNAL "")
  set(stage "${PROJECT_BINARY_DIR}/include/${name}")
  linkar_stage_include("${stage}" "${folder}")
  set(libs "")
  foreach(dep IN LISTS ARGN)
    linkar_stage_include("${stage}" "${LINKAR_FOLDER_${dep}}")
    if(TARGET linkar_${dep})
      list(APPEND libs linkar_${dep})
    endif()
  endforeach()
  file(GLOB sources CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/${folder}/*.cpp")
  if(sources)
    add_library(linkar_${name} STATIC ${sources})
    target_include_directories(linkar_${name} PUBLIC "${stage}")
    target_link_libraries(linkar_${name} PUBLIC ${libs})
  else()
    add_library(linkar_${name} INTERFACE)
    target_include_directories(linkar_${name} INTERFACE "${stage}")
    target_link_libraries(linkar_${name} INTERFACE ${libs})
  endif()
endfunction()

# linkar_layer_rule(name folder [deps...]): the layers a folder of programs
# may use. Its targets are made by the folder's own CMakeLists.txt and get
# their include paths from the layers they link; tools/check_layers.sh reads
# these calls together with the linkar_layer() ones.
function(linkar_layer_rule name folder)
  set(LINKAR_FOLDER_${name} "${folder}" CACHE INTERNAL "")
endfunction()

# linkar_layer_link(name libs...): adds outside libraries to a layer, whether
# it has sources yet or not.
function(linkar_layer_link name)
  get_target_property(type linkar_${name} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    target_link_libraries(linkar_${name} INTERFACE ${ARGN})
  else()
    target_link_libraries(linkar_${name} PUBLIC ${ARGN})
  endif()
endfunction()
