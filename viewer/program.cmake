# The viewer program: the window's portable part (both builds, tested natively) and, in the
# win32 build, viewer.exe with its resources, its checks and its tests under Wine.
set(viewer_dir ${CMAKE_CURRENT_LIST_DIR})
zel_core_library(viewer_window SOURCES ${viewer_dir}/view_window.cpp)
zel_native_test(viewer_window_test SOURCES ${viewer_dir}/view_window_test.cpp LIBS viewer_window)

if(NOT ZEL_WIN32)
  return()
endif()

# The icon is drawn by a generator of ours, built with the machine's own compiler.
find_program(ZEL_HOST_CXX NAMES c++ g++ REQUIRED)
set(viewer_icon ${CMAKE_CURRENT_BINARY_DIR}/viewer.ico)
add_custom_command(
  OUTPUT ${viewer_icon}
  COMMAND ${ZEL_HOST_CXX} -std=c++17 -O1 -o ${CMAKE_CURRENT_BINARY_DIR}/viewer_icon_gen
          ${viewer_dir}/viewer_icon_gen.cpp
  COMMAND ${CMAKE_CURRENT_BINARY_DIR}/viewer_icon_gen ${viewer_icon}
  DEPENDS ${viewer_dir}/viewer_icon_gen.cpp
  COMMENT "Generating viewer.ico"
  VERBATIM)
set_source_files_properties(${viewer_dir}/viewer.rc PROPERTIES OBJECT_DEPENDS ${viewer_icon})

add_executable(viewer WIN32 ${viewer_dir}/viewer_main.cpp ${viewer_dir}/viewer.rc)
target_include_directories(viewer PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_CURRENT_BINARY_DIR})
target_link_libraries(viewer PRIVATE viewer_window viewer_core comdlg32 gdi32 user32)
target_link_options(viewer PRIVATE -s)
zel_binary_checks(viewer "")

# The program under Wine, driven from a test process as the host drives it.
zel_wine_test(viewer_wine_test SOURCES ${viewer_dir}/viewer_wine_test.cpp LIBS viewer_window viewer_core viewer_test_files
              DEPENDS viewer)

# viewer_demo.exe: the host's part in the demo (scripts/demo.d/75-viewer-window.sh).
add_executable(viewer_demo ${viewer_dir}/viewer_demo.cpp)
target_include_directories(viewer_demo PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(viewer_demo PRIVATE viewer_window zel_win_pixels gdi32 user32)
add_dependencies(viewer_demo viewer)
