target_sources(vx_link PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ConnectionSequence.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PortSwitch.cpp
)
