# The serial window and the Qt dialogs it warns through.
vx_add_test(window_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/SerialFormTest.cpp ${CMAKE_CURRENT_LIST_DIR}/QtDialogsTest.cpp
  LIBS vx_linkwin vx_sim)
# The debugger stand-in that notes its calls (built for the bridge's tests).
add_dependencies(window_tests probe_full)
target_compile_definitions(window_tests PRIVATE PROBE_FULL="$<TARGET_FILE:probe_full>")
