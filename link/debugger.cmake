target_sources(vx_link PRIVATE ${CMAKE_CURRENT_LIST_DIR}/DebuggerBridge.cpp)
