# The core library: every layer below the front ends, never Qt. Sources are
# gathered per layer so that a new file joins the build without editing here.
set(TESSARY_CORE_LAYERS util store templates generator publish export)
set(TESSARY_CORE_SOURCES)
foreach(layer IN LISTS TESSARY_CORE_LAYERS)
  file(GLOB layer_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/${layer}/*.cpp
                                           ${PROJECT_SOURCE_DIR}/src/${layer}/*.c)
  list(APPEND TESSARY_CORE_SOURCES ${layer_sources})
endforeach()

find_package(Threads REQUIRED)  # the generation run builds pages on worker threads
add_library(tessary_core STATIC ${TESSARY_CORE_SOURCES})
target_include_directories(tessary_core PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(tessary_core PUBLIC SQLite::SQLite3 ZLIB::ZLIB Threads::Threads PRIVATE PkgConfig::MD4C tessary_warnings)
if(GSF_FOUND)
  target_link_libraries(tessary_core PUBLIC PkgConfig::GSF)
  target_compile_definitions(tessary_core PUBLIC TESSARY_HAVE_GSF=1)
endif()

# Optional per-layer build steps (generated resources and the like).
foreach(layer IN LISTS TESSARY_CORE_LAYERS)
  if(EXISTS ${PROJECT_SOURCE_DIR}/src/${layer}/layer.cmake)
    include(${PROJECT_SOURCE_DIR}/src/${layer}/layer.cmake)
  endif()
endforeach()
