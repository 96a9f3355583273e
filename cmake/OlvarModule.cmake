# One static library per folder of src/. Sources are picked up from the folder so that adding a
# file needs no edit here; dependencies are named by the module's own CMakeLists.txt.
function(olvar_module name)
  cmake_parse_arguments(ARG "" "" "DEPENDS" ${ARGN})
  olvar_check_module_depends(${name} ${ARG_DEPENDS})
  file(GLOB sources CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp")
  if(sources)
    add_library(olvar_${name} STATIC ${sources})
    target_include_directories(olvar_${name} PUBLIC "${PROJECT_SOURCE_DIR}/src")
    target_link_libraries(olvar_${name} PUBLIC ${ARG_DEPENDS})
  else()
    # A module that has only headers so far.
    add_library(olvar_${name} INTERFACE)
    target_include_directories(olvar_${name} INTERFACE "${PROJECT_SOURCE_DIR}/src")
    target_link_libraries(olvar_${name} INTERFACE ${ARG_DEPENDS})
  endif()
endfunction()

# A module links only what the layer table (cmake/Layers.cmake) lets it use, so a library cycle
# cannot be linked into being.
function(olvar_check_module_depends name)
  set(allowed "")
  foreach(entry IN LISTS OLVAR_LAYERS)
    if(entry MATCHES "^${name}:(.*)$")
      string(REPLACE "," ";" allowed "${CMAKE_MATCH_1}")
    endif()
  endforeach()
  foreach(dep IN LISTS ARGN)
    string(REGEX REPLACE "^olvar_" "" dep_module "${dep}")
    if(NOT dep_module IN_LIST allowed)
      message(FATAL_ERROR "olvar_${name} links ${dep}, which the layer table (cmake/Layers.cmake) "
                          "does not let ${name}/ use")
    endif()
  endforeach()
endfunction()

# One test executable per module: tests/<module>/*_test.cpp.
function(olvar_module_tests name)
  cmake_parse_arguments(ARG "" "" "DEPENDS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp")
  if(NOT sources)
    return()
  endif()
  add_executable(olvar_${name}_tests ${sources})
  target_link_libraries(olvar_${name}_tests PRIVATE olvar_${name} ${ARG_DEPENDS} olvar_test_support
                        GTest::gmock GTest::gtest_main)
  gtest_discover_tests(olvar_${name}_tests DISCOVERY_MODE PRE_TEST
                       PROPERTIES ENVIRONMENT "OLVAR_HOME=${OLVAR_BUILD_DATA_DIR}")
endfunction()
