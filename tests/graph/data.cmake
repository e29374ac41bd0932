vx_add_test(graph_data_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/OffsetArrayTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ZorTapeTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/StatisticsTest.cpp
  LIBS vx_graphdata)
