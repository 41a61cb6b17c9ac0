# Build helpers shared by every component.

set(VL2_SAMPLES_DIR "${CMAKE_SOURCE_DIR}/../shared/samples" CACHE PATH "Folder of third-party sample files")

add_library(vl2_warnings INTERFACE)
target_compile_options(vl2_warnings INTERFACE
  $<$<COMPILE_LANGUAGE:CXX>:-Wall -Wextra -Wno-unused-parameter>)

if(VL2_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# Paths every test may need, baked in so tests run from any folder.
add_library(vl2_test_paths INTERFACE)
target_compile_definitions(vl2_test_paths INTERFACE
  VL2_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
  VL2_BINARY_DIR="${CMAKE_BINARY_DIR}"
  VL2_PLUGIN_DIR="${VL2_PLUGIN_DIR}"
  VL2_IMAGE_PLUGIN_DIR="${VL2_IMAGE_PLUGIN_DIR}"
  VL2_SAMPLES_DIR="${VL2_SAMPLES_DIR}"
  VL2_BIN_DIR="${CMAKE_BINARY_DIR}/bin")

# vl2_add_test(name SOURCES a.cpp ... [LIBS lib ...])
function(vl2_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  # A test whose sources are not all written yet is left out rather than
  # breaking the configuration of everything else.
  foreach(src IN LISTS T_SOURCES)
    if(NOT IS_ABSOLUTE ${src})
      set(src ${CMAKE_CURRENT_SOURCE_DIR}/${src})
    endif()
    if(NOT EXISTS ${src})
      message(WARNING "test ${name} skipped: ${src} is missing")
      return()
    endif()
  endforeach()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} vl2_test_paths vl2_warnings GTest::gtest GTest::gmock GTest::gtest_main)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 120
    PROPERTIES ENVIRONMENT "MAYA_PLUG_IN_PATH=${VL2_PLUGIN_DIR};MAYA_SCRIPT_PATH=${CMAKE_SOURCE_DIR}/game_scripts;VL2_IMG_PLUGIN_PATH=${VL2_IMAGE_PLUGIN_DIR}")
endfunction()

# vl2_add_plugin(Name SOURCES ... [LIBS ...]): a host plug-in module, <Name>.so without prefix.
function(vl2_add_plugin name)
  cmake_parse_arguments(P "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} MODULE ${P_SOURCES})
  target_link_libraries(${name} PRIVATE vl2host ${P_LIBS} vl2_warnings)
  set_target_properties(${name} PROPERTIES PREFIX "" LIBRARY_OUTPUT_DIRECTORY ${VL2_PLUGIN_DIR})
endfunction()

# vl2_add_tool(name SOURCES ... [LIBS ...])
function(vl2_add_tool name)
  cmake_parse_arguments(P "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${P_SOURCES})
  target_link_libraries(${name} PRIVATE ${P_LIBS} vl2_warnings)
endfunction()

# vl2_add_bench(name SOURCES ... [LIBS ...])
function(vl2_add_bench name)
  if(NOT VL2_BENCH)
    return()
  endif()
  cmake_parse_arguments(P "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${P_SOURCES})
  target_link_libraries(${name} PRIVATE ${P_LIBS} vl2_test_paths vl2_warnings benchmark::benchmark)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
endfunction()

# vl2_add_fuzzer(name SOURCES ... [LIBS ...]): only in the clang fuzz build.
function(vl2_add_fuzzer name)
  if(NOT VL2_FUZZ)
    return()
  endif()
  cmake_parse_arguments(P "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${P_SOURCES})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${name} PRIVATE ${P_LIBS})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
endfunction()
