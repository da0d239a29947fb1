# qdx_layer(NAME DEPS...): a static library qdx_NAME from every .cpp in the
# calling folder (an interface library while the folder has no sources yet).
function(qdx_layer name)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(sources)
    add_library(qdx_${name} STATIC ${sources})
    target_include_directories(qdx_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(qdx_${name} PUBLIC ${ARGN})
  else()
    add_library(qdx_${name} INTERFACE)
    target_include_directories(qdx_${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(qdx_${name} INTERFACE ${ARGN})
  endif()
endfunction()

# qdx_test_suite(NAME DEPS...): one GoogleTest executable from every .cpp in
# the calling folder, registered with CTest as NAME.
function(qdx_test_suite name)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(test_${name} ${sources})
  target_link_libraries(test_${name} PRIVATE ${ARGN} GTest::gtest GTest::gtest_main Threads::Threads)
  set_target_properties(test_${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  add_test(NAME ${name} COMMAND test_${name} WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "QDX_BIN_DIR=${CMAKE_BINARY_DIR}/bin;QDX_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
endfunction()
