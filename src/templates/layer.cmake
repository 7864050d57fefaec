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
