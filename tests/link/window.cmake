# The serial window, the debugger bridge it talks to and the Qt dialogs it warns through.
vx_add_test(window_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/SerialFormTest.cpp
  LIBS vx_linkwin vx_sim)
add_dependencies(window_tests probe_full probe_show_only)
target_compile_definitions(window_tests PRIVATE
  PROBE_FULL="$<TARGET_FILE:probe_full>"
  PROBE_SHOW_ONLY="$<TARGET_FILE:probe_show_only>")
