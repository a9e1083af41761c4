# nlohmann-json for the cross build: headers only, taken from the distribution's copy without the
# rest of the build machine's include folder, whose headers are Linux's.
if(NOT TARGET nlohmann_json::nlohmann_json)
  set(corvane_json_include ${CMAKE_BINARY_DIR}/cross-headers/nlohmann_json)
  file(MAKE_DIRECTORY ${corvane_json_include})
  file(CREATE_LINK /usr/include/nlohmann ${corvane_json_include}/nlohmann SYMBOLIC)
  add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED GLOBAL)
  set_target_properties(nlohmann_json::nlohmann_json PROPERTIES INTERFACE_INCLUDE_DIRECTORIES
                                                                ${corvane_json_include})
endif()
set(nlohmann_json_FOUND TRUE)
