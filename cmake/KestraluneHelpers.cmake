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

# kl_add_test_binary(<name> LABELS <kind>... SOURCES ... LIBS ...): one
# GoogleTest executable whose cases each run in their own process (the
# framework keeps process-wide state, so cases must not share a process).
# LABELS says what kind of test it is, so that `ctest -L <kind>` runs one kind:
# unit (no rendering), gl (renders headless on OpenGL), display (needs an X
# display), e2e (the staged program), fuzz, bench-smoke.
function(kl_add_test_binary name)
  cmake_parse_arguments(ARG "" "" "LABELS;SOURCES;LIBS" ${ARGN})
  if(NOT ARG_LABELS)
    message(FATAL_ERROR "${name}: say which kind of test it is with LABELS")
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main kl_warnings)
  # Tests that read the repository's own files (the effect, the default scene)
  # find them here.
  target_compile_definitions(${name} PRIVATE KESTRALUNE_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    PROPERTIES ENVIRONMENT "KESTRALUNE_HEADLESS=1" LABELS "${ARG_LABELS}")
endfunction()
