vx_add_test(graph_painter_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/PainterScaleTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PainterTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TimePlotTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/HistogramTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TableViewTest.cpp
  LIBS vx_graph)
