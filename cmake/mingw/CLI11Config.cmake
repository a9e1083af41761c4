# CLI11 for the cross build. The library is made of headers only; the cross build takes the
# distribution's copy of them without the rest of the build machine's include folder, whose
# headers are Linux's.
if(NOT TARGET CLI11::CLI11)
  set(corvane_cli11_include ${CMAKE_BINARY_DIR}/cross-headers/cli11)
  file(MAKE_DIRECTORY ${corvane_cli11_include})
  file(CREATE_LINK /usr/include/CLI ${corvane_cli11_include}/CLI SYMBOLIC)
  add_library(CLI11::CLI11 INTERFACE IMPORTED GLOBAL)
  set_target_properties(CLI11::CLI11 PROPERTIES INTERFACE_INCLUDE_DIRECTORIES
                                                ${corvane_cli11_include})
endif()
set(CLI11_FOUND TRUE)
