vx_add_test(window_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/SerialFormTest.cpp
  LIBS vx_linkwin vx_sim)
