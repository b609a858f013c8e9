# Each folder of src/platform is a static library of its own so that a folder
# builds and tests alone; `corvanta_platform` gathers them into the one
# platform library the rest of the program links.
set(CORVANTA_SRC ${CMAKE_SOURCE_DIR}/src)
set(CORVANTA_PLATFORM_MODULES "")

function(corvanta_platform_module name)
  cmake_parse_arguments(M "" "" "DEPS;LIBS" ${ARGN})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS
       ${CORVANTA_SRC}/platform/${name}/*.cpp ${CORVANTA_SRC}/platform/${name}/*.h)
  if(NOT srcs)
    file(WRITE ${CMAKE_BINARY_DIR}/empty_${name}.cpp "")
    set(srcs ${CMAKE_BINARY_DIR}/empty_${name}.cpp)
  endif()
  add_library(platform_${name} STATIC ${srcs})
  target_include_directories(platform_${name} PUBLIC ${CORVANTA_SRC})
  target_link_libraries(platform_${name} PUBLIC Qt6::Core ${M_LIBS})
  foreach(d ${M_DEPS})
    target_link_libraries(platform_${name} PUBLIC platform_${d})
  endforeach()
  # One precompiled header for every module, made by the first (text): a
  # copy per target would take some 150 MB each.
  if(name STREQUAL "text")
    target_precompile_headers(platform_text PRIVATE <QString> <QByteArray> <QList> <QDate>)
  else()
    target_precompile_headers(platform_${name} REUSE_FROM platform_text)
  endif()
  set(CORVANTA_PLATFORM_MODULES ${CORVANTA_PLATFORM_MODULES} platform_${name} PARENT_SCOPE)
endfunction()

# A test binary per folder under tests/: links the module of the same name
# (when there is one) plus whatever is passed.
function(corvanta_test_folder dir)
  cmake_parse_arguments(T "" "" "LIBS" ${ARGN})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/${dir}/*.cpp)
  if(NOT srcs)
    return()
  endif()
  string(REPLACE "/" "_" tname "test_${dir}")
  add_executable(${tname} ${srcs})
  target_include_directories(${tname} PRIVATE ${CMAKE_SOURCE_DIR}/tests ${CORVANTA_SRC})
  target_link_libraries(${tname} PRIVATE ${T_LIBS} corvanta_testsupport GTest::gtest GTest::gmock)
  gtest_discover_tests(${tname}
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" LABELS ${tname}
    DISCOVERY_TIMEOUT 60)
endfunction()
