# Small helpers shared by the folders' CMakeLists.

# kl_sources(<out-var> <dir>...): every .cpp directly inside the given folders.
function(kl_sources out)
  set(result)
  foreach(dir IN LISTS ARGN)
    file(GLOB found CONFIGURE_DEPENDS "${dir}/*.cpp")
    list(APPEND result ${found})
  endforeach()
  list(SORT result)
  set(${out} ${result} PARENT_SCOPE)
endfunction()

# kl_add_test_binary(<name> SOURCES ... LIBS ...): one GoogleTest executable
# whose cases each run in their own process (the framework keeps process-wide
# state, so cases must not share a process).
function(kl_add_test_binary name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  # Several people edit the tree at once: a test source that is not written
  # yet skips its binary with a warning locally, but fails the build in CI.
  foreach(source IN LISTS ARG_SOURCES)
    if(NOT IS_ABSOLUTE ${source})
      set(source ${CMAKE_CURRENT_SOURCE_DIR}/${source})
    endif()
    if(NOT EXISTS ${source})
      if(DEFINED ENV{CI})
        message(FATAL_ERROR "${name}: missing test source ${source}")
      endif()
      message(WARNING "${name}: skipped, missing test source ${source}")
      return()
    endif()
  endforeach()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main kl_warnings)
  # Tests that read the repository's own files (the effect, the default scene)
  # find them here.
  target_compile_definitions(${name} PRIVATE KESTRALUNE_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    PROPERTIES ENVIRONMENT "KESTRALUNE_HEADLESS=1")
endfunction()
