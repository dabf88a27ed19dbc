# add_mex_plugin(NAME GATEWAY SOURCES...): a plug-in the host loads, built as
# NAME.mexa64 (no "lib" prefix) against the stand-in host's mx and mex
# libraries. Everything is hidden but the gateway, exported as GATEWAY: the
# sources mark it for export, and a version script makes sure nothing else
# (no template instance, nothing the toolchain adds) ends up exported.
function(add_mex_plugin name gateway)
  add_library(${name} MODULE ${ARGN})
  target_link_libraries(${name} PRIVATE mx mex)
  set_target_properties(${name} PROPERTIES
    PREFIX ""
    SUFFIX ".mexa64"
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON)
  if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
    set(map ${CMAKE_CURRENT_BINARY_DIR}/${name}.map)
    file(WRITE ${map} "{\n  global: ${gateway};\n  local: *;\n};\n")
    target_link_options(${name} PRIVATE -Wl,--version-script=${map} -Wl,--no-undefined)
    set_property(TARGET ${name} APPEND PROPERTY LINK_DEPENDS ${map})
  endif()
endfunction()
