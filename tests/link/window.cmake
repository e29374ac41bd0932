# The serial window and the Qt dialogs it warns through.
vx_add_test(window_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/SerialFormTest.cpp ${CMAKE_CURRENT_LIST_DIR}/QtDialogsTest.cpp
  LIBS vx_linkwin vx_sim)
