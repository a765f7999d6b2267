# The back-end files of each library are picked by their suffix: *_win32.cpp for the Windows
# product, *_posix.cpp and *_linux.cpp for the Linux one.
function(qm_platform_sources out dir)
  file(GLOB sources CONFIGURE_DEPENDS ${dir}/*.cpp)
  if(WIN32)
    list(FILTER sources EXCLUDE REGEX "_(posix|linux)\\.cpp$")
  else()
    list(FILTER sources EXCLUDE REGEX "_win32\\.cpp$")
  endif()
  set(${out} ${sources} PARENT_SCOPE)
endfunction()

# One library per folder, its headers included as "folder/Name.h".
function(qm_library name)
  qm_platform_sources(sources ${CMAKE_CURRENT_SOURCE_DIR})
  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARGN})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARGN})
  endif()
endfunction()

# One GoogleTest program per test folder; every *.cpp in it is a test file.
function(qm_test name)
  qm_platform_sources(sources ${CMAKE_CURRENT_SOURCE_DIR})
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${ARGN} GTest::gtest GTest::gmock GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE QM_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data"
                                             QM_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
endfunction()
