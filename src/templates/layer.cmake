# The built-in default template package: assembled from resources/default-template/
# into "@default.tem" in the program folder, and compiled into the core as the
# resource TEMPLATE0 (templates/builtin.cpp reads it).
set(TESSARY_DEFAULT_TEMPLATE_DIR ${PROJECT_SOURCE_DIR}/resources/default-template)
file(GLOB_RECURSE tessary_default_template_sources CONFIGURE_DEPENDS ${TESSARY_DEFAULT_TEMPLATE_DIR}/*)

add_executable(tessary-template-packer
  ${PROJECT_SOURCE_DIR}/src/templates/packer/template_packer.cpp
  ${PROJECT_SOURCE_DIR}/src/templates/package.cpp
  ${PROJECT_SOURCE_DIR}/src/templates/package_folder.cpp
  ${PROJECT_SOURCE_DIR}/src/util/fault_injection.cpp
  ${PROJECT_SOURCE_DIR}/src/util/files.cpp
  ${PROJECT_SOURCE_DIR}/src/util/text.cpp)
set_target_properties(tessary-template-packer PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)
target_include_directories(tessary-template-packer PRIVATE ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(tessary-template-packer PRIVATE tessary_warnings)

set(TESSARY_TEMPLATE0_SOURCE ${CMAKE_BINARY_DIR}/generated/template0_data.cpp)
set(TESSARY_DEFAULT_TEM ${TESSARY_PROGRAM_DIR}/@default.tem)
add_custom_command(
  OUTPUT ${TESSARY_TEMPLATE0_SOURCE} ${TESSARY_DEFAULT_TEM}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/generated ${TESSARY_PROGRAM_DIR}
  COMMAND tessary-template-packer ${TESSARY_DEFAULT_TEMPLATE_DIR} ${TESSARY_DEFAULT_TEM} --cpp ${TESSARY_TEMPLATE0_SOURCE}
  DEPENDS tessary-template-packer ${tessary_default_template_sources}
  COMMENT "Assembling the default template package"
  VERBATIM)
target_sources(tessary_core PRIVATE ${TESSARY_TEMPLATE0_SOURCE})

# The other template packages shipped beside "@default.tem": each folder
# resources/templates/<name>/ is assembled into "<Name>.tem" in the program
# folder (the folder's name with its first letter in upper case).
file(GLOB tessary_template_folders LIST_DIRECTORIES true ${PROJECT_SOURCE_DIR}/resources/templates/*)
set(TESSARY_EXTRA_TEMPLATE_PACKAGES "")
foreach(tessary_tpl_folder ${tessary_template_folders})
  if(NOT IS_DIRECTORY ${tessary_tpl_folder})
    continue()
  endif()
  get_filename_component(tessary_tpl_name ${tessary_tpl_folder} NAME)
  string(SUBSTRING ${tessary_tpl_name} 0 1 tessary_tpl_first)
  string(SUBSTRING ${tessary_tpl_name} 1 -1 tessary_tpl_rest)
  string(TOUPPER ${tessary_tpl_first} tessary_tpl_first)
  set(tessary_tpl_package ${TESSARY_PROGRAM_DIR}/${tessary_tpl_first}${tessary_tpl_rest}.tem)
  file(GLOB_RECURSE tessary_tpl_sources CONFIGURE_DEPENDS ${tessary_tpl_folder}/*)
  add_custom_command(
    OUTPUT ${tessary_tpl_package}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${TESSARY_PROGRAM_DIR}
    COMMAND tessary-template-packer ${tessary_tpl_folder} ${tessary_tpl_package}
    DEPENDS tessary-template-packer ${tessary_tpl_sources}
    COMMENT "Assembling the template package ${tessary_tpl_first}${tessary_tpl_rest}.tem"
    VERBATIM)
  list(APPEND TESSARY_EXTRA_TEMPLATE_PACKAGES ${tessary_tpl_package})
endforeach()
# Built with the core, so that every program and test that loads packages finds them.
add_custom_target(tessary-template-packages ALL DEPENDS ${TESSARY_EXTRA_TEMPLATE_PACKAGES})
add_dependencies(tessary_core tessary-template-packages)
