# The graph window and the live data feed (Qt).
add_library(vx_graphwin STATIC
  ${CMAKE_CURRENT_LIST_DIR}/GraphForm.h
  ${CMAKE_CURRENT_LIST_DIR}/GraphForm.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GraphFormLayout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GraphFormFiles.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GraphFormSpectrum.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GraphViewCommands.cpp
)
set_target_properties(vx_graphwin PROPERTIES AUTOMOC ON)
target_include_directories(vx_graphwin PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(vx_graphwin PUBLIC vx_graph vx_graphwin_core vx_platform vx_platform_qt
  Qt6::Widgets Qt6::PrintSupport)
