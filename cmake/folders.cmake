# One static library per source folder and one test executable per test folder.
# Sources are picked up by glob, sub-folders included, so adding a file needs
# no edit here. A sub-folder may be a library of its own (layers/store): it is
# registered first, and the folder above it leaves its files out.
#
# A library's name is its folder's with "/" as "_": src/layers/store is
# tolvika_layers_store, its tests test_layers_store.

set_property(GLOBAL PROPERTY TOLVIKA_LIBRARY_FOLDERS "")

# The files matching Pattern under Root, less those under a sub-folder that is
# a library of its own.
function(_tolvika_glob out root folder pattern)
  file(GLOB_RECURSE _files CONFIGURE_DEPENDS ${root}/${folder}/${pattern})
  get_property(_own GLOBAL PROPERTY TOLVIKA_LIBRARY_FOLDERS)
  foreach(other IN LISTS _own)
    if(NOT other STREQUAL folder AND other MATCHES "^${folder}/")
      list(FILTER _files EXCLUDE REGEX "^${root}/${other}/")
    endif()
  endforeach()
  set(${out} ${_files} PARENT_SCOPE)
endfunction()

function(tolvika_folder_library folder)
  string(REPLACE "/" "_" _name ${folder})
  set_property(GLOBAL APPEND PROPERTY TOLVIKA_LIBRARY_FOLDERS ${folder})
  _tolvika_glob(_sources ${PROJECT_SOURCE_DIR}/src ${folder} "*.cpp")
  # The program's entry point is not part of any library.
  list(FILTER _sources EXCLUDE REGEX "/shell/main\\.cpp$")
  if(NOT _sources)
    set(_sources ${PROJECT_SOURCE_DIR}/cmake/empty.cpp)
  endif()
  add_library(tolvika_${_name} STATIC ${_sources})
  target_include_directories(tolvika_${_name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  foreach(dep IN LISTS ARGN)
    string(REPLACE "/" "_" _dep ${dep})
    target_link_libraries(tolvika_${_name} PUBLIC tolvika_${_dep})
  endforeach()
endfunction()

# tests/<folder>/**/*.cpp form the executable test_<folder>; every test in it
# is registered with ctest under the label <folder> ("/" as "_"). Files under
# a helpers/ folder (tests/foundation/storage/helpers/) are separate small
# programs the tests start as second processes; their paths reach the tests as
# HELPER_<NAME> definitions. Every one of these programs carries
# tests/lsan_suppressions.cpp, the leak checker's suppressions for sanitized
# builds; the test executables also carry tests/common/responder.cpp, the
# scripted responder that answers their modal windows (test programs only,
# never the program).
function(tolvika_folder_tests folder)
  string(REPLACE "/" "_" _name ${folder})
  _tolvika_glob(_all ${PROJECT_SOURCE_DIR}/tests ${folder} "*.cpp")
  set(_tests ${_all})
  list(FILTER _tests EXCLUDE REGEX "/helpers/[^/]*$")
  if(NOT _tests)
    return()
  endif()
  set(_helpers ${_all})
  list(FILTER _helpers INCLUDE REGEX "/helpers/[^/]*$")
  add_executable(test_${_name} ${_tests} ${PROJECT_SOURCE_DIR}/tests/lsan_suppressions.cpp
                 ${PROJECT_SOURCE_DIR}/tests/common/responder.cpp)
  target_link_libraries(test_${_name} PRIVATE tolvika_${_name} GTest::gtest GTest::gmock GTest::gtest_main)
  target_include_directories(test_${_name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_compile_definitions(test_${_name} PRIVATE
    TEST_DATA_DIR="${PROJECT_SOURCE_DIR}/tests/${folder}/data")
  if(TOLVIKA_PCH)
    # Every test file includes the test framework: compiled once per program.
    target_precompile_headers(test_${_name} PRIVATE <gtest/gtest.h> <gmock/gmock.h> <functional> <memory>
                              <string> <vector>)
  endif()
  foreach(h IN LISTS _helpers)
    get_filename_component(_helper ${h} NAME_WE)
    add_executable(${_name}_${_helper} ${h} ${PROJECT_SOURCE_DIR}/tests/lsan_suppressions.cpp)
    target_link_libraries(${_name}_${_helper} PRIVATE tolvika_${_name})
    string(TOUPPER ${_helper} _upper)
    target_compile_definitions(test_${_name} PRIVATE HELPER_${_upper}="$<TARGET_FILE:${_name}_${_helper}>")
    add_dependencies(test_${_name} ${_name}_${_helper})
  endforeach()
  gtest_discover_tests(test_${_name}
    PROPERTIES LABELS ${_name}
    DISCOVERY_TIMEOUT 60)
endfunction()
