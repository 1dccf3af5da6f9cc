# The viewer program: the window's portable part (both builds, tested natively) and, in the
# win32 build, viewer.exe with its resources, its checks and its tests under Wine.
zel_core_library(viewer_window SOURCES ${CMAKE_CURRENT_LIST_DIR}/view_window.cpp)
zel_native_test(viewer_window_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/view_window_test.cpp LIBS viewer_window)
