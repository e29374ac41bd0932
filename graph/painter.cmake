# The painter and its three views: time-domain plot, histogram, table (Qt).
add_library(vx_graph STATIC
  ${CMAKE_CURRENT_LIST_DIR}/PainterScale.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TraceRaster.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ZrGraphPainter.h
  ${CMAKE_CURRENT_LIST_DIR}/ZrGraphPainter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TimePlot.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Histogram.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TableView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SpectrumView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SpectrumModel.cpp
)
set_target_properties(vx_graph PROPERTIES AUTOMOC ON)
target_include_directories(vx_graph PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(vx_graph PUBLIC vx_analysis vx_graphdata vx_platform vx_support Qt6::Widgets Qt6::Gui)
