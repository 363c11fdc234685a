# GoogleTest for the Windows test binaries, built from the sources Debian ships in
# /usr/src/googletest, with the same target names as the native package.
set(SSINST_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources for the Windows build")
if(NOT EXISTS ${SSINST_GTEST_SOURCE_DIR}/googletest/src/gtest-all.cc)
  message(FATAL_ERROR "GoogleTest sources not found in ${SSINST_GTEST_SOURCE_DIR} (scripts/setup installs them)")
endif()

if(NOT TARGET ssinst_gtest)
  set(_gtest ${SSINST_GTEST_SOURCE_DIR}/googletest)
  set(_gmock ${SSINST_GTEST_SOURCE_DIR}/googlemock)

  add_library(ssinst_gtest STATIC ${_gtest}/src/gtest-all.cc)
  target_include_directories(ssinst_gtest SYSTEM PUBLIC ${_gtest}/include PRIVATE ${_gtest})
  add_library(ssinst_gtest_main STATIC ${_gtest}/src/gtest_main.cc)
  target_link_libraries(ssinst_gtest_main PUBLIC ssinst_gtest)

  add_library(ssinst_gmock STATIC ${_gmock}/src/gmock-all.cc)
  target_include_directories(ssinst_gmock SYSTEM PUBLIC ${_gmock}/include PRIVATE ${_gmock})
  target_link_libraries(ssinst_gmock PUBLIC ssinst_gtest)
  add_library(ssinst_gmock_main STATIC ${_gmock}/src/gmock_main.cc)
  target_link_libraries(ssinst_gmock_main PUBLIC ssinst_gmock)

  foreach(_lib ssinst_gtest ssinst_gtest_main ssinst_gmock ssinst_gmock_main)
    # Third-party code: its warnings are not ours to fix.
    target_compile_options(${_lib} PRIVATE -w)
  endforeach()

  add_library(GTest::gtest ALIAS ssinst_gtest)
  add_library(GTest::gtest_main ALIAS ssinst_gtest_main)
  add_library(GTest::gmock ALIAS ssinst_gmock)
  add_library(GTest::gmock_main ALIAS ssinst_gmock_main)
endif()
