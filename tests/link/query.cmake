vx_add_test(link_query_tests
  SOURCES AppQueryTest.cpp DebuggerBridgeTest.cpp
  LIBS vx_link vx_sim)

# Stand-ins for the debugger library, loaded by path.
add_library(probe_full MODULE probe_full.c)
add_library(probe_show_only MODULE probe_full.c)
target_compile_definitions(probe_show_only PRIVATE SHOW_ONLY)
add_dependencies(link_query_tests probe_full probe_show_only)
target_compile_definitions(link_query_tests PRIVATE
  PROBE_FULL="$<TARGET_FILE:probe_full>"
  PROBE_SHOW_ONLY="$<TARGET_FILE:probe_show_only>")
