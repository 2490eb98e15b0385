# Shared target settings. Nothing here is global: every target opts in by
# linking korvalin_options (warnings, sanitizers) or through the helpers below.

add_library(korvalin_options INTERFACE)
target_compile_options(korvalin_options INTERFACE -Wall -Wextra)
# GCC 12 reports -Wrestrict for std::string's operator+ of a literal and a
# temporary once optimising (a false positive mended in GCC 13).
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  target_compile_options(korvalin_options INTERFACE -Wno-restrict)
endif()
if(KORVALIN_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "KORVALIN_FUZZ needs clang: -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang")
  endif()
  # Coverage for the fuzzer in every library; the fuzz executables add the
  # fuzzer's own main (korvalin_add_fuzzer in tests/fuzz).
  target_compile_options(korvalin_options INTERFACE -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer -g)
  target_link_options(korvalin_options INTERFACE -fsanitize=address,undefined)
elseif(KORVALIN_SANITIZE)
  target_compile_options(korvalin_options INTERFACE -fsanitize=${KORVALIN_SANITIZE} -fno-sanitize-recover=all -fno-omit-frame-pointer -g)
  target_link_options(korvalin_options INTERFACE -fsanitize=${KORVALIN_SANITIZE})
endif()

# korvalin_add_plugin(<name> SOURCES ...): a provider plug-in <name>.so (no
# "lib" prefix) beside the executable, exporting only GetProviderInstance.
function(korvalin_add_plugin name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} MODULE ${ARG_SOURCES})
  set_target_properties(${name} PROPERTIES
    PREFIX ""
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON)
  target_link_libraries(${name} PRIVATE korvalin_provider_common korvalin_options ${ARG_LIBS})
  target_link_options(${name} PRIVATE -Wl,--no-undefined)
endfunction()

# korvalin_add_test(<name> SOURCES ... [LIBS ...] [LABELS ...] [ENV ...]):
# one GoogleTest binary registered as one CTest test.
function(korvalin_add_test name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBS;LABELS;ENV" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE GTest::gtest GTest::gtest_main GTest::gmock korvalin_options ${ARG_LIBS})
  add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY "${KORVALIN_BIN_DIR}")
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT})
  if(ARG_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}")
  endif()
  if(ARG_ENV)
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${ARG_ENV}")
  endif()
endfunction()
