# The include check between the layers (CheckLayers.cmake) as a build step:
# every library of the program depends on it, so a wrong include fails the
# build before anything is compiled. It runs again whenever a source changes.
set(VELLUMO_QT_HEADERS "${QT6_INSTALL_PREFIX}/${QT6_INSTALL_HEADERS}")
if(NOT IS_DIRECTORY "${VELLUMO_QT_HEADERS}/QtWidgets")
  get_target_property(_widgets_dirs Qt6::Widgets INTERFACE_INCLUDE_DIRECTORIES)
  foreach(_dir IN LISTS _widgets_dirs)
    if(_dir MATCHES "/QtWidgets$")
      get_filename_component(VELLUMO_QT_HEADERS "${_dir}" DIRECTORY)
    endif()
  endforeach()
endif()

file(GLOB_RECURSE _layer_sources CONFIGURE_DEPENDS
     ${PROJECT_SOURCE_DIR}/model/*.h ${PROJECT_SOURCE_DIR}/model/*.cpp
     ${PROJECT_SOURCE_DIR}/render/*.h ${PROJECT_SOURCE_DIR}/render/*.cpp
     ${PROJECT_SOURCE_DIR}/print/*.h ${PROJECT_SOURCE_DIR}/print/*.cpp
     ${PROJECT_SOURCE_DIR}/spell/*.h ${PROJECT_SOURCE_DIR}/spell/*.cpp
     ${PROJECT_SOURCE_DIR}/ui/*.h ${PROJECT_SOURCE_DIR}/ui/*.cpp)
set(_layers_stamp ${CMAKE_BINARY_DIR}/layers.checked)
add_custom_command(
  OUTPUT ${_layers_stamp}
  COMMAND ${CMAKE_COMMAND} -DROOT=${PROJECT_SOURCE_DIR} -DQT_HEADERS=${VELLUMO_QT_HEADERS}
          -P ${PROJECT_SOURCE_DIR}/cmake/CheckLayers.cmake
  COMMAND ${CMAKE_COMMAND} -E touch ${_layers_stamp}
  DEPENDS ${PROJECT_SOURCE_DIR}/cmake/CheckLayers.cmake ${_layer_sources}
  COMMENT "Checking the includes between the layers"
  VERBATIM)
add_custom_target(vellumo_layers DEPENDS ${_layers_stamp})

# Makes the given libraries wait for the check.
function(vellumo_check_layers)
  foreach(target IN LISTS ARGN)
    add_dependencies(${target} vellumo_layers)
  endforeach()
endfunction()
