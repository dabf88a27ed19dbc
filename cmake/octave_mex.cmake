# The plug-ins built once more as GNU Octave MEX files, NAME.mex in
# <build>/octave, whenever Octave's mkoctfile is installed. They compile
# from the very sources of the stand-in plug-in targets, with HOST_OCTAVE
# set so that the host declarations take Octave's names and widths, and
# they link against Octave's interpreter library so that --no-undefined
# proves every host operation they call exists there under that name.
# Octave headers are not used: the plug-ins see only host/.
if(CMAKE_CROSSCOMPILING OR NOT CMAKE_SYSTEM_NAME STREQUAL "Linux")
  return()
endif()
find_program(MKOCTFILE mkoctfile)
if(NOT MKOCTFILE)
  message(STATUS "mkoctfile not found: the Octave MEX files are not built")
  return()
endif()
execute_process(COMMAND ${MKOCTFILE} -p OCTLIBDIR
  OUTPUT_VARIABLE octave_library_dir OUTPUT_STRIP_TRAILING_WHITESPACE)
find_library(OCTAVE_INTERPRETER_LIBRARY octinterp HINTS ${octave_library_dir} REQUIRED)
set(OCTAVE_MEX_DIR ${CMAKE_BINARY_DIR}/octave)

# add_octave_mex(NAME GATEWAY): NAME.mex from the sources of target NAME,
# exporting GATEWAY alone, and its help file NAME.m beside it.
function(add_octave_mex name gateway)
  get_target_property(sources ${name} SOURCES)
  get_target_property(source_dir ${name} SOURCE_DIR)
  list(FILTER sources INCLUDE REGEX "\\.cc$")
  list(TRANSFORM sources PREPEND ${source_dir}/)
  set(target ${name}_octave)
  add_library(${target} MODULE ${sources})
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/host)
  target_compile_definitions(${target} PRIVATE HOST_OCTAVE)
  target_link_libraries(${target} PRIVATE ${OCTAVE_INTERPRETER_LIBRARY})
  set(map ${CMAKE_CURRENT_BINARY_DIR}/${target}.map)
  file(WRITE ${map} "{\n  global: ${gateway};\n  local: *;\n};\n")
  target_link_options(${target} PRIVATE -Wl,--version-script=${map} -Wl,--no-undefined)
  set_target_properties(${target} PROPERTIES
    OUTPUT_NAME ${name}
    PREFIX ""
    SUFFIX ".mex"
    LIBRARY_OUTPUT_DIRECTORY ${OCTAVE_MEX_DIR}
    LINK_DEPENDS ${map}
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON)
  # `help NAME` in Octave reads NAME.m beside NAME.mex: a file of comments
  # only, in the plug-in's source folder. The MEX file is what a call runs.
  configure_file(${source_dir}/${name}.m ${OCTAVE_MEX_DIR}/${name}.m COPYONLY)
endfunction()

add_octave_mex(vandrel mexFunction)
add_octave_mex(quenvor _mexFunction)
