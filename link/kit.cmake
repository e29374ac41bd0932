# The link to one kit without a window, for the command-line tool.
target_sources(vx_link PRIVATE ${CMAKE_CURRENT_LIST_DIR}/Kit.cpp)
