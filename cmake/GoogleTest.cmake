# GoogleTest, built from source with the same toolchain as the product.
set(VT_GOOGLETEST_SOURCE "/usr/src/googletest" CACHE PATH "GoogleTest sources")
if(EXISTS "${VT_GOOGLETEST_SOURCE}/CMakeLists.txt")
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  add_subdirectory("${VT_GOOGLETEST_SOURCE}" "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL)
  if(MINGW)
    target_link_options(gtest PUBLIC -static)
  endif()
else()
  # Elsewhere (for example Visual Studio with vcpkg) use an installed GoogleTest.
  find_package(GTest REQUIRED)
  add_library(gtest ALIAS GTest::gtest)
  add_library(gtest_main ALIAS GTest::gtest_main)
endif()

# vt_add_test(NAME name SOURCES ... LIBS ...): one test program, run by CTest (under Wine when
# cross-built).
function(vt_add_test)
  cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} gtest_main gtest vt_options)
  target_include_directories(${T_NAME} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  set_tests_properties(${T_NAME} PROPERTIES TIMEOUT 600)
endfunction()
