vx_add_test(link_query_tests
  SOURCES AppQueryTest.cpp
  LIBS vx_link vx_sim)

# Stand-ins for the debugger library, loaded by path: one with every entry,
# one with "Show" alone.
add_library(probe_full MODULE probe_full.c)
add_library(probe_show_only MODULE probe_full.c)
target_compile_definitions(probe_show_only PRIVATE SHOW_ONLY)
