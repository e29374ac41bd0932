vx_add_test(graphwin_window_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/GraphViewCommandsTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/GraphFormTest.cpp
  LIBS vx_graphwin)
