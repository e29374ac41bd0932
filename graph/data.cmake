# Offset array, record tape and statistics: no display dependency.
add_library(vx_graphdata STATIC
  ${CMAKE_CURRENT_LIST_DIR}/OffsetArray.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GraphChannel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ZorTape.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Statistics.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HistogramBins.cpp
)
target_include_directories(vx_graphdata PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(vx_graphdata PUBLIC vx_support)
