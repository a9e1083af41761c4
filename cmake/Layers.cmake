# The configure-time checks of the layers, included once every target is defined:
# - every target of src/ links only targets of the folders its row of the layer table
#   (LayerTable.cmake) allows;
# - only the targets named below link Qt, directly or through the targets they link.
# Either fails the configure naming the target and the link chain. The includes are checked by
# the test Layers.IncludesFollowTheTable (CheckIncludes.cmake).
include(${CMAKE_CURRENT_LIST_DIR}/BuildTree.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/LayerTable.cmake)

# Qt stays inside the Qt host and what is built on it.
set(CORVANE_QT_TARGETS corvane_ui_qt corvane corvane-render corvane_qt_tests
                        corvane-icons corvane-minimal-dialog)

# Sets out to the row of the layer table that a target of src/ belongs to, or to nothing for
# targets defined elsewhere (tests, packaging, the benchmark) and imported ones.
function(corvane_layer_of_target target out)
  set(${out} "" PARENT_SCOPE)
  if(NOT TARGET "${target}")
    return()
  endif()
  get_target_property(aliased "${target}" ALIASED_TARGET)
  if(aliased)
    set(target "${aliased}")
  endif()
  get_target_property(imported "${target}" IMPORTED)
  if(imported)
    return()
  endif()
  get_target_property(dir "${target}" SOURCE_DIR)
  file(RELATIVE_PATH path "${PROJECT_SOURCE_DIR}/src" "${dir}")
  if(path MATCHES "^\\.\\.")
    return()
  endif()
  corvane_layer_of("${path}" layer)
  if(NOT layer)
    message(FATAL_ERROR "${target} is defined in src/${path}, which has no row in "
                        "cmake/LayerTable.cmake")
  endif()
  set(${out} "${layer}" PARENT_SCOPE)
endfunction()

# Sets out to the chain of link items through which the given items reach Qt, or to nothing.
# seen names the targets already followed, so that a cycle ends.
function(corvane_qt_link_chain items seen out)
  foreach(item IN LISTS items)
    # A static library's private dependencies reach its users wrapped in LINK_ONLY.
    string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" name "${item}")
    if(name MATCHES "Qt6|(^|[^A-Za-z0-9_])Qt::")
      set(${out} "${name}" PARENT_SCOPE)
      return()
    endif()
    if(NOT TARGET "${name}" OR "${name}" IN_LIST seen)
      continue()
    endif()
    list(APPEND seen "${name}")
    get_target_property(interface "${name}" INTERFACE_LINK_LIBRARIES)
    if(interface)
      corvane_qt_link_chain("${interface}" "${seen}" chain)
      if(chain)
        set(${out} "${name} -> ${chain}" PARENT_SCOPE)
        return()
      endif()
    endif()
  endforeach()
  set(${out} "" PARENT_SCOPE)
endfunction()

corvane_read_layers()
set(corvane_link_exceptions "")
foreach(exception IN LISTS CORVANE_LAYER_EXCEPTIONS)
  if(exception MATCHES "^([^ /.]+) -> ([^ /.]+)$")
    list(APPEND corvane_link_exceptions "${exception}")
  endif()
endforeach()
set(corvane_link_exceptions_used "")
set(corvane_layer_problems "")

corvane_targets_below(${CMAKE_SOURCE_DIR} corvane_all_targets)
foreach(target IN LISTS corvane_all_targets)
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "UTILITY")
    continue()
  endif()
  set(links "")
  foreach(property LINK_LIBRARIES INTERFACE_LINK_LIBRARIES)
    get_target_property(value ${target} ${property})
    if(value)
      list(APPEND links ${value})
    endif()
  endforeach()

  # The layers: each direct link of a target of src/.
  corvane_layer_of_target(${target} layer)
  if(layer)
    get_target_property(direct ${target} LINK_LIBRARIES)
    foreach(item IN LISTS direct)
      corvane_layer_of_target("${item}" item_layer)
      if(NOT item_layer)
        continue()
      endif()
      corvane_layer_may_use("${layer}" "${item_layer}" allowed)
      if(allowed)
        continue()
      endif()
      get_target_property(item_target "${item}" ALIASED_TARGET)
      if(NOT item_target)
        set(item_target "${item}")
      endif()
      if("${target} -> ${item_target}" IN_LIST corvane_link_exceptions)
        list(APPEND corvane_link_exceptions_used "${target} -> ${item_target}")
        continue()
      endif()
      string(REPLACE ";" " " uses "${CORVANE_LAYER_USES_${layer}}")
      string(APPEND corvane_layer_problems
             "  ${target} (${layer}) links ${item} (${item_layer}); ${layer} may use only: "
             "${uses}\n")
    endforeach()
  endif()

  # Qt, through every link.
  if(target IN_LIST CORVANE_QT_TARGETS)
    continue()
  endif()
  corvane_qt_link_chain("${links}" "${target}" chain)
  if(chain)
    string(APPEND corvane_layer_problems
           "  ${target} links Qt (${target} -> ${chain}); only the Qt host and what is built on "
           "it may (CORVANE_QT_TARGETS in cmake/Layers.cmake)\n")
  endif()
endforeach()

foreach(exception IN LISTS corvane_link_exceptions)
  if(NOT exception IN_LIST corvane_link_exceptions_used)
    string(APPEND corvane_layer_problems
           "  the known exception \"${exception}\" is no longer needed: delete it from "
           "cmake/LayerTable.cmake\n")
  endif()
endforeach()
if(corvane_layer_problems)
  message(FATAL_ERROR "links that break the layers (cmake/LayerTable.cmake):\n"
                      "${corvane_layer_problems}")
endif()
