# The layers of src/: which folder may include and link which. Read by the include check
# (CheckIncludes.cmake, run as a test) and by the link check at configure time (Layers.cmake).
#
# Each row names a folder and the folders that its files may include and its targets may link,
# besides its own. A file or target belongs to the longest row that begins its path, so that
# src/cli/posix is cli and src/ui/qt/tools is ui/qt. "*" allows every folder. Every folder of src/
# that holds code needs a row, and so does every folder an include names.
set(CORVANE_LAYERS
  # Plain data and helpers at the bottom, read by all.
  "base:"
  "product:"
  # The contract with the operating system, and its backends.
  "platform:        base"
  "platform/posix:  platform base"
  "platform/win32:  platform base"
  "platform/sim:    platform base"
  # The printer side of the program, without any window.
  "link:            platform product base"
  "protocol:        link platform product base"
  "operations:      protocol link platform product base"
  # What every front end shares: opening and identifying, set and verify, settings documents;
  # it builds the platforms, simulated printers included, from the options.
  "service:         operations protocol link platform platform/posix platform/win32 platform/sim
                    sim startup product base"
  # The printer's side of the wire, which shares nothing with the program's printer code.
  "sim:             platform/sim platform base"
  # The programs' options and the platform each runs on: the machine's, or simulated printers.
  "startup:         link platform platform/posix platform/win32 platform/sim sim product base"
  # The windows: templates, the toolkit-free dialog base, the hosts and the dialogs.
  "resources:       product base"
  "ui:              resources platform product base"
  "ui/qt:           ui resources platform product base"
  "ui/win32:        ui resources platform platform/win32 product base"
  "manager:         ui service operations protocol link platform resources product base"
  "linemode:        ui service operations protocol link platform resources product base"
  "alignment:       ui service operations protocol link platform resources product base"
  "app:             manager linemode alignment
                    ui service operations protocol link platform resources product base"
  # The command line: no window and no template.
  "cli:             service operations protocol link platform platform/posix platform/win32
                    platform/sim startup product base"
  # The programs' mains put it all together.
  "programs:        *"
)

# Known exceptions, each "file -> folder" for an include or "target -> target" for a link, with
# the reason; the checks name an exception that is no longer needed. There are none.
set(CORVANE_LAYER_EXCEPTIONS)

# Sets CORVANE_LAYER_FOLDERS to the folders of the rows, and CORVANE_LAYER_USES_<folder> to the
# folders each row may use.
function(corvane_read_layers)
  set(folders "")
  foreach(row IN LISTS CORVANE_LAYERS)
    string(REGEX REPLACE "[ \t\r\n]+" " " row "${row}")
    if(NOT row MATCHES "^([^: ]+):(.*)$")
      message(FATAL_ERROR "cmake/LayerTable.cmake: the row \"${row}\" is not \"folder: uses\"")
    endif()
    set(folder "${CMAKE_MATCH_1}")
    separate_arguments(uses UNIX_COMMAND "${CMAKE_MATCH_2}")
    list(APPEND folders "${folder}")
    set(CORVANE_LAYER_USES_${folder} "${uses}" PARENT_SCOPE)
  endforeach()
  set(CORVANE_LAYER_FOLDERS "${folders}" PARENT_SCOPE)
endfunction()

# Sets out to the row that a path relative to src/ (a file's or a folder's) belongs to, or to
# nothing when no row begins it.
function(corvane_layer_of path out)
  set(best "")
  string(LENGTH "${best}" best_length)
  foreach(folder IN LISTS CORVANE_LAYER_FOLDERS)
    string(LENGTH "${folder}" length)
    if((path STREQUAL folder OR path MATCHES "^${folder}/") AND length GREATER best_length)
      set(best "${folder}")
      set(best_length ${length})
    endif()
  endforeach()
  set(${out} "${best}" PARENT_SCOPE)
endfunction()

# Sets out to TRUE when the row from may use the row to.
function(corvane_layer_may_use from to out)
  set(uses "${CORVANE_LAYER_USES_${from}}")
  if(from STREQUAL to OR "*" IN_LIST uses OR to IN_LIST uses)
    set(${out} TRUE PARENT_SCOPE)
  else()
    set(${out} FALSE PARENT_SCOPE)
  endif()
endfunction()
