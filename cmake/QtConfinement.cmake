# Keeps Qt inside the Qt host: the configure fails when any target other than those named below
# links Qt, directly or through the targets it links.
set(CORVANE_QT_TARGETS corvane_ui_qt corvane corvane-render corvane_qt_tests
                        corvane-icons)

# Sets out to every target defined in dir and the directories below it.
function(corvane_targets_below dir out)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(subdir IN LISTS subdirs)
    corvane_targets_below(${subdir} below)
    list(APPEND targets ${below})
  endforeach()
  set(${out} ${targets} PARENT_SCOPE)
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

corvane_targets_below(${CMAKE_SOURCE_DIR} corvane_all_targets)
foreach(target IN LISTS corvane_all_targets)
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "UTILITY" OR target IN_LIST CORVANE_QT_TARGETS)
    continue()
  endif()
  set(links "")
  foreach(property LINK_LIBRARIES INTERFACE_LINK_LIBRARIES)
    get_target_property(value ${target} ${property})
    if(value)
      list(APPEND links ${value})
    endif()
  endforeach()
  corvane_qt_link_chain("${links}" "${target}" chain)
  if(chain)
    message(FATAL_ERROR "${target} links Qt (${target} -> ${chain}); only the Qt host in "
                        "src/ui/qt and the programs and tests built on it may: "
                        "${CORVANE_QT_TARGETS}")
  endif()
endforeach()
