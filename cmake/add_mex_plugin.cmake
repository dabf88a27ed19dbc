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
  elseif(WIN32)
    # On Windows the plug-in is NAME.mexw32, and a module-definition file
    # fixes its export table to the gateway alone, under exactly the name
    # GATEWAY (names in it are undecorated, as cdecl C names are on i386).
    set(def ${CMAKE_CURRENT_BINARY_DIR}/${name}.def)
    file(WRITE ${def} "EXPORTS\n  ${gateway}\n")
    target_sources(${name} PRIVATE ${def})
    set_target_properties(${name} PROPERTIES SUFFIX ".mexw32")
  endif()
endfunction()
