# tav_add_inproc_server(name SOURCES ... [LIBS ...]): a product server library lib<name>.so. It
# links the shared entry points (tavinproc_entry) whole and exports only them: hidden visibility,
# and a version script for whatever a static library brings along. Its sources define
# TavInprocServer().
function(tav_add_inproc_server name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  set(exports ${PROJECT_SOURCE_DIR}/src/platform/com/server_exports.map)
  add_library(${name} SHARED ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE tavplatform tav_warnings ${ARG_LIBS}
                                        "$<LINK_LIBRARY:WHOLE_ARCHIVE,tavinproc_entry>")
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src)
  set_target_properties(${name} PROPERTIES CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON
                                           LINK_DEPENDS ${exports})
  target_link_options(${name} PRIVATE "LINKER:--version-script=${exports}")
endfunction()
