# One static library per source folder and one test executable per test folder.
# Sources are picked up by glob, so adding a file needs no edit here.

function(tolvika_folder_library folder)
  file(GLOB _sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/${folder}/*.cpp)
  # The program's entry point is not part of any library.
  list(FILTER _sources EXCLUDE REGEX "/main\\.cpp$")
  if(NOT _sources)
    set(_sources ${PROJECT_SOURCE_DIR}/cmake/empty.cpp)
  endif()
  add_library(tolvika_${folder} STATIC ${_sources})
  target_include_directories(tolvika_${folder} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  foreach(dep IN LISTS ARGN)
    target_link_libraries(tolvika_${folder} PUBLIC tolvika_${dep})
  endforeach()
endfunction()

# tests/<folder>/*.cpp form the executable test_<folder>; every test in it is
# registered with ctest under the label <folder>. Files under
# tests/<folder>/helpers/ are separate small programs the tests start as
# second processes; their paths reach the tests as HELPER_<NAME> definitions.
# Every one of these programs carries tests/lsan_suppressions.cpp, the leak
# checker's suppressions for sanitized builds; the test executables also
# carry tests/common/responder.cpp, the scripted responder that answers
# their modal windows (test programs only, never the program).
function(tolvika_folder_tests folder)
  file(GLOB _tests CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/${folder}/*.cpp)
  if(NOT _tests)
    return()
  endif()
  add_executable(test_${folder} ${_tests} ${PROJECT_SOURCE_DIR}/tests/lsan_suppressions.cpp
                 ${PROJECT_SOURCE_DIR}/tests/common/responder.cpp)
  target_link_libraries(test_${folder} PRIVATE tolvika_${folder} GTest::gtest GTest::gmock GTest::gtest_main)
  target_include_directories(test_${folder} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_compile_definitions(test_${folder} PRIVATE
    TEST_DATA_DIR="${PROJECT_SOURCE_DIR}/tests/${folder}/data")
  file(GLOB _helpers CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/${folder}/helpers/*.cpp)
  foreach(h IN LISTS _helpers)
    get_filename_component(_name ${h} NAME_WE)
    add_executable(${folder}_${_name} ${h} ${PROJECT_SOURCE_DIR}/tests/lsan_suppressions.cpp)
    target_link_libraries(${folder}_${_name} PRIVATE tolvika_${folder})
    string(TOUPPER ${_name} _upper)
    target_compile_definitions(test_${folder} PRIVATE HELPER_${_upper}="$<TARGET_FILE:${folder}_${_name}>")
    add_dependencies(test_${folder} ${folder}_${_name})
  endforeach()
  gtest_discover_tests(test_${folder}
    PROPERTIES LABELS ${folder}
    DISCOVERY_TIMEOUT 60)
endfunction()
