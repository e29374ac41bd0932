# The main window (Qt) and the program.
add_library(vx_app STATIC
  ${CMAKE_CURRENT_LIST_DIR}/DesktopLauncher.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MainForm.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ProgramApplication.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ProgramWindows.cpp
)
target_include_directories(vx_app PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(vx_app PUBLIC vx_appcore vx_graphwin vx_linkwin vx_sampling vx_sim Qt6::Widgets Qt6::Gui)

add_executable(vx7318kit ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
target_link_libraries(vx7318kit PRIVATE vx_app)

# The help file and the loader files travel beside the executable.
set(vx_beside_program ${CMAKE_CURRENT_LIST_DIR}/HELPFILE.HTM)
list(APPEND vx_beside_program ${VX_LOADER_FILES})
foreach(file ${vx_beside_program})
  get_filename_component(name ${file} NAME)
  add_custom_command(TARGET vx7318kit POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${file} $<TARGET_FILE_DIR:vx7318kit>/${name})
endforeach()
