# Manual pages (section 1), made into <build>/man/man1. A page written by
# hand is docs/man/NAME.1.in, given the project's version; the page of a
# program whose --help and --version say it all is written from them by
# help2man at build time, with docs/man/NAME.h2m adding its NAME and SEE ALSO
# sections. Each page made is added to the global property MAN_PAGES, which
# packaging.cmake installs.
set(MAN_PAGE_DIR ${CMAKE_BINARY_DIR}/man/man1)
find_program(HELP2MAN help2man)

function(add_written_man_page name)
  set(page ${MAN_PAGE_DIR}/${name}.1)
  configure_file(${PROJECT_SOURCE_DIR}/docs/man/${name}.1.in ${page} @ONLY)
  set_property(GLOBAL APPEND PROPERTY MAN_PAGES ${page})
endfunction()

# The page of the program built by TARGET.
function(add_help2man_page target)
  if(CMAKE_CROSSCOMPILING)
    message(STATUS "Cross-compiling: the manual page of ${target} is not made (help2man runs the program)")
    return()
  endif()
  if(NOT HELP2MAN)
    message(STATUS "help2man not found: the manual page of ${target} is not made")
    return()
  endif()
  set(page ${MAN_PAGE_DIR}/${target}.1)
  set(sections ${PROJECT_SOURCE_DIR}/docs/man/${target}.h2m)
  add_custom_command(OUTPUT ${page}
    COMMAND ${HELP2MAN} --no-info --include=${sections} --output=${page} $<TARGET_FILE:${target}>
    DEPENDS ${target} ${sections}
    COMMENT "Writing the manual page of ${target} with help2man"
    VERBATIM)
  add_custom_target(${target}_man_page ALL DEPENDS ${page})
  set_property(GLOBAL APPEND PROPERTY MAN_PAGES ${page})
endfunction()

add_written_man_page(kestrum)
add_help2man_page(call_plugin)
add_help2man_page(kestrum-explain)
