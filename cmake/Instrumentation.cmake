# Instrumented builds, each in a build folder of its own:
# CORVANE_SANITIZE builds everything with AddressSanitizer and UndefinedBehaviorSanitizer, so that
# the test suite stops at the first report; CORVANE_FUZZ (clang only) also instruments the code
# for coverage and adds the libFuzzer targets of fuzz/, so one folder serves both.
option(CORVANE_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(CORVANE_FUZZ "Build the libFuzzer targets in fuzz/ (clang only)" OFF)

if(CORVANE_SANITIZE OR CORVANE_FUZZ)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

if(CORVANE_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "CORVANE_FUZZ needs clang: configure with CXX=clang++")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
