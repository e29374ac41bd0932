vx_add_test(sequence_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ConnectionSequenceTest.cpp
  LIBS vx_link vx_sim)
