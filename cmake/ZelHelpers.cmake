# Helpers shared by every subsystem's CMakeLists.txt.
#
#   zel_core_library(name SOURCES ... [LIBS ...])   portable core, both builds
#   zel_native_test(name SOURCES ... [LIBS ...])    GoogleTest, native build only
#   zel_dll(name SOURCES ... [DEF file] [RC file] [LIBS ...] EXPORTS "ord name;...")
#                                                    a deliverable DLL, win32 build only,
#                                                    with its export and import checks
#   zel_wine_test(name SOURCES ... [LIBS ...] [DEPENDS targets])
#                                                    GoogleTest host run under Wine
#   zel_fuzz_target(name SOURCES ... [LIBS ...] [SEEDS ...] [FIXTURES ...])
#                                                    a fuzz target, native build only (below)

function(zel_core_library name)
  cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${A_SOURCES})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${A_LIBS})
endfunction()

function(zel_native_test name)
  if(ZEL_WIN32)
    return()
  endif()
  cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${A_LIBS} GTest::gtest_main)
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
                       WORKING_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}
                       PROPERTIES TIMEOUT 300 ENVIRONMENT "ZEL_BUILD_DIR=${CMAKE_BINARY_DIR}")
endfunction()

function(zel_dll name)
  if(NOT ZEL_WIN32)
    return()
  endif()
  # PARSE_ARGV keeps the ";" between the expected exports inside the one EXPORTS value.
  cmake_parse_arguments(PARSE_ARGV 1 A "" "DEF;RC;EXPORTS" "SOURCES;LIBS")
  add_library(${name} SHARED ${A_SOURCES} ${A_DEF} ${A_RC})
  set_target_properties(${name} PROPERTIES PREFIX "" OUTPUT_NAME ${name})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${A_LIBS})
  target_link_options(${name} PRIVATE -s)
  if(NOT A_DEF)
    target_link_options(${name} PRIVATE -Wl,--exclude-all-symbols)
  endif()
  zel_binary_checks(${name} "${A_EXPORTS}")
endfunction()

function(zel_binary_checks name exports)
  add_test(NAME exports_${name}
           COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${MINGW_OBJDUMP} -DFILE=$<TARGET_FILE:${name}>
                   "-DEXPECT=${exports}" -P ${CMAKE_SOURCE_DIR}/cmake/CheckExports.cmake)
  add_test(NAME imports_${name}
           COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${MINGW_OBJDUMP} -DFILE=$<TARGET_FILE:${name}>
                   -P ${CMAKE_SOURCE_DIR}/cmake/CheckImports.cmake)
endfunction()

function(zel_wine_test name)
  if(NOT ZEL_WIN32)
    return()
  endif()
  cmake_parse_arguments(A "" "" "SOURCES;LIBS;DEPENDS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE zel_win_testkit ${A_LIBS} GTest::gtest)
  if(A_DEPENDS)
    add_dependencies(${name} ${A_DEPENDS})
  endif()
  # One Wine process per test; every test that opens a window holds the desktop lock.
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
                       WORKING_DIRECTORY $<TARGET_FILE_DIR:${name}>
                       PROPERTIES TIMEOUT 60 RESOURCE_LOCK desktop)
endfunction()

# zel_fuzz_target(name SOURCES ... [LIBS ...] [SEEDS file-or-dir ...])   native build only
#
# A fuzz target: a *_fuzz.cpp beside the code it exercises, defining
# extern "C" int LLVMFuzzerTestOneInput(const uint8_t*, size_t). In the ordinary native
# builds it links our replay main (tests/fuzz_replay_main.cpp), and a CTest test replays the
# SEEDS and a fixed set of mutations of each (FIXTURES: CTest fixtures that make the seeds
# first). With -DZEL_FUZZ=ON (clang) it links libFuzzer
# instead; `fuzz_targets` builds them all.
function(zel_fuzz_target name)
  if(ZEL_WIN32)
    return()
  endif()
  cmake_parse_arguments(A "" "" "SOURCES;LIBS;SEEDS;FIXTURES" ${ARGN})
  if(NOT TARGET fuzz_targets)
    add_custom_target(fuzz_targets)
  endif()
  add_executable(${name} ${A_SOURCES})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${A_LIBS})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
  add_dependencies(fuzz_targets ${name})
  if(ZEL_FUZZ)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  else()
    target_sources(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/fuzz_replay_main.cpp)
    add_test(NAME ${name} COMMAND ${name} ${A_SEEDS})
    set_tests_properties(${name} PROPERTIES TIMEOUT 120 LABELS fuzz)
    if(A_FIXTURES)
      set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED "${A_FIXTURES}")
    endif()
  endif()
endfunction()
