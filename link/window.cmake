# The serial interface window (Qt).
add_library(vx_linkwin STATIC
  ${CMAKE_CURRENT_LIST_DIR}/SerialForm.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SerialFormLayout.cpp
)
target_include_directories(vx_linkwin PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(vx_linkwin PUBLIC vx_link vx_platform_qt Qt6::Widgets)
