# The layers of libblocktide, bottom to top:
#   base; engine and netlistdb; nodes, models and frontend; sim; host (tools sit on top).
# blocktide_layer(<folder> USES <folders>...) makes the folder's object library. Each folder
# gets an include root of its own holding only a link to itself, so a source file sees only
# its own folder and those it names in USES; every folder it names must lie in a lower layer.
set(BLOCKTIDE_LAYERS "base" "engine;netlistdb" "nodes;models;frontend" "sim" "host")
set(BLOCKTIDE_LAYER_FOLDERS)
set(BLOCKTIDE_LAYER_TARGETS)

function(blocktide_layer_of folder result)
  set(level 0)
  foreach(layer ${BLOCKTIDE_LAYERS})
    string(REPLACE ";" "|" members "${layer}")
    if(folder MATCHES "^(${members})$")
      set(${result} ${level} PARENT_SCOPE)
      return()
    endif()
    math(EXPR level "${level} + 1")
  endforeach()
  message(FATAL_ERROR "${folder} is in no layer")
endfunction()

function(blocktide_layer folder)
  cmake_parse_arguments(LAYER "" "" "USES" ${ARGN})
  blocktide_layer_of(${folder} level)
  foreach(used ${LAYER_USES})
    blocktide_layer_of(${used} used_level)
    if(NOT used_level LESS level)
      message(FATAL_ERROR "${folder} may not use ${used}: it is not in a lower layer")
    endif()
  endforeach()

  set(root ${CMAKE_BINARY_DIR}/layers/${folder})
  file(MAKE_DIRECTORY ${root})
  file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)

  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${folder}/*.cpp)
  set(target layer_${folder})
  add_library(${target} OBJECT ${sources})
  target_include_directories(${target} PUBLIC ${root})
  foreach(used ${LAYER_USES})
    target_link_libraries(${target} PUBLIC layer_${used})
  endforeach()
  set(BLOCKTIDE_LAYER_FOLDERS ${BLOCKTIDE_LAYER_FOLDERS} ${folder} PARENT_SCOPE)
  set(BLOCKTIDE_LAYER_TARGETS ${BLOCKTIDE_LAYER_TARGETS} ${target} PARENT_SCOPE)
endfunction()
