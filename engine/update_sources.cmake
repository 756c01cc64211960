# The update engine's check, run and installs (included by CMakeLists.txt of this folder).
target_sources(maj_engine PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/action_command.cpp
  ${CMAKE_CURRENT_LIST_DIR}/assembly_registration.cpp
  ${CMAKE_CURRENT_LIST_DIR}/component_registration.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dotnet_framework.cpp
  ${CMAKE_CURRENT_LIST_DIR}/fichier_install.cpp
  ${CMAKE_CURRENT_LIST_DIR}/install_conditions.cpp
  ${CMAKE_CURRENT_LIST_DIR}/main_version_number.cpp
  ${CMAKE_CURRENT_LIST_DIR}/published_name.cpp
  ${CMAKE_CURRENT_LIST_DIR}/run_once.cpp
  ${CMAKE_CURRENT_LIST_DIR}/working_folder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/update_check.cpp
  ${CMAKE_CURRENT_LIST_DIR}/update_run.cpp
)
target_link_libraries(maj_engine PUBLIC maj_transfer maj_db maj_archive)
