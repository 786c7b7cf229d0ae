# Writes the link graph of the program's own libraries and programs to
# <build>/layers.txt, one line per target: "target folder dependency...", and
# has tools/check-layers.py check it against the folder order
# GLINTMOOR_LAYERS. A library that links one of a later folder, a source file
# that includes a header of a later folder, or any cycle of links, stops the
# configure.

function(gm_collect_targets dir out)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(sub ${subdirs})
    gm_collect_targets(${sub} sub_targets)
    list(APPEND targets ${sub_targets})
  endforeach()
  set(${out} ${targets} PARENT_SCOPE)
endfunction()

set(layer_lines "")
foreach(dir ${GLINTMOOR_LAYERS} sfx)
  if(NOT EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt)
    continue()
  endif()
  gm_collect_targets(${CMAKE_CURRENT_SOURCE_DIR}/${dir} targets)
  foreach(target ${targets})
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "UTILITY")
      continue()
    endif()
    get_target_property(links ${target} INTERFACE_LINK_LIBRARIES)
    if(NOT type STREQUAL "INTERFACE_LIBRARY")
      get_target_property(own_links ${target} LINK_LIBRARIES)
      list(APPEND links ${own_links})
    endif()
    set(deps "")
    foreach(link ${links})
      if(TARGET ${link})
        get_target_property(imported ${link} IMPORTED)
        if(NOT imported)
          list(APPEND deps ${link})
        endif()
      endif()
    endforeach()
    list(REMOVE_DUPLICATES deps)
    list(JOIN deps " " deps_text)
    string(APPEND layer_lines "${target} ${dir} ${deps_text}\n")
  endforeach()
endforeach()
file(WRITE ${CMAKE_BINARY_DIR}/layers.txt "${layer_lines}")

find_package(Python3 REQUIRED COMPONENTS Interpreter)
list(JOIN GLINTMOOR_LAYERS "," layer_order)
execute_process(
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/tools/check-layers.py
          --order ${layer_order},sfx --sources ${CMAKE_CURRENT_SOURCE_DIR}
          ${CMAKE_BINARY_DIR}/layers.txt
  RESULT_VARIABLE layers_result)
if(NOT layers_result EQUAL 0)
  message(FATAL_ERROR "The libraries break the folder layering (see above).")
endif()
