# Installation (cmake --install) and the Debian packages (cpack -G DEB).
# Under the prefix:
#   bin/                   kestrum, call_plugin, kestrum-explain
#   lib/                   the stand-in host's libmx, libmat and libmex, and libmat's
#                          module libmat_v73_in_process
#   lib/kestrum/           the plug-ins vandrel.mexa64 and quenvor.mexa64
#   libexec/               mat_v73_reader, libmat's version 7.3 reader process
#   share/kestrum/octave/  the plug-ins as GNU Octave MEX files, with their help files
#   share/man/man1/        the manual pages
#   share/doc/kestrum/     README.md, CHANGELOG.md, LICENSE
# Programs, libraries and plug-ins find the libraries through run paths
# relative to themselves, so the installed tree runs from any directory,
# and from any prefix, without LD_LIBRARY_PATH. Tests, benchmarks and
# fuzzers are not installed.
#
# Two install components, one Debian package each: kestrum (everything but
# the Octave files) and kestrum-octave (the Octave files alone: they need
# Octave, which nothing else does).
include(GNUInstallDirs)

set(PACKAGE_NAME kestrum)
set(PLUGIN_INSTALL_DIR ${CMAKE_INSTALL_LIBDIR}/${PACKAGE_NAME})
set(OCTAVE_INSTALL_DIR ${CMAKE_INSTALL_DATADIR}/${PACKAGE_NAME}/octave)
set(CMAKE_INSTALL_DEFAULT_COMPONENT_NAME kestrum)

# Gives TARGETs installed in DIR (relative to the prefix) the run path
# $ORIGIN/<the way from DIR to the library directory>.
function(use_installed_libraries dir)
  file(RELATIVE_PATH way ${CMAKE_INSTALL_PREFIX}/${dir} ${CMAKE_INSTALL_FULL_LIBDIR})
  string(REGEX REPLACE "/$" "" way "${way}")
  if(way STREQUAL "")
    set(run_path "$ORIGIN")
  else()
    set(run_path "$ORIGIN/${way}")
  endif()
  set_target_properties(${ARGN} PROPERTIES INSTALL_RPATH "${run_path}")
endfunction()

use_installed_libraries(${CMAKE_INSTALL_BINDIR} kestrum call_plugin kestrum-explain)
use_installed_libraries(${CMAKE_INSTALL_LIBDIR} mat mex)  # both use libmx
use_installed_libraries(${PLUGIN_INSTALL_DIR} vandrel quenvor)

install(TARGETS kestrum call_plugin kestrum-explain RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# On Windows the DLLs go beside the programs (RUNTIME), with their import
# libraries in lib (ARCHIVE).
install(TARGETS mx mat mex
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(TARGETS vandrel quenvor LIBRARY DESTINATION ${PLUGIN_INSTALL_DIR})

# libmat looks for its version 7.3 reader beside itself, then in
# <its directory>/../libexec.
if(TARGET mat_v73_reader)
  use_installed_libraries(${CMAKE_INSTALL_LIBEXECDIR} mat_v73_reader)
  install(TARGETS mat_v73_reader RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR})
endif()
# And for MAT_V73_READER=in-process, the module with libhdf5 beside itself.
if(TARGET mat_v73_in_process)
  use_installed_libraries(${CMAKE_INSTALL_LIBDIR} mat_v73_in_process)
  install(TARGETS mat_v73_in_process LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
endif()

get_property(man_pages GLOBAL PROPERTY MAN_PAGES)
install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES README.md CHANGELOG.md LICENSE DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${PACKAGE_NAME})

# The Octave MEX files (cmake/octave_mex.cmake) load into Octave, which
# provides what they link against: they need no run path.
if(TARGET vandrel_octave)
  install(TARGETS vandrel_octave quenvor_octave
    LIBRARY DESTINATION ${OCTAVE_INSTALL_DIR} COMPONENT octave)
  install(FILES ${OCTAVE_MEX_DIR}/vandrel.m ${OCTAVE_MEX_DIR}/quenvor.m
    DESTINATION ${OCTAVE_INSTALL_DIR} COMPONENT octave)
endif()

# The Debian packages, from the files installed above under /usr, their
# dependencies found by dpkg-shlibdeps.
set(PACKAGE_MAINTAINER "The kestrum developers <kestrum-developers@example.org>" CACHE STRING
    "The Maintainer line of the Debian packages")
set(CPACK_PACKAGE_NAME ${PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "the kestrum developers")
set(CPACK_PACKAGE_CONTACT ${PACKAGE_MAINTAINER})
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

set(CPACK_DEBIAN_KESTRUM_PACKAGE_NAME ${PACKAGE_NAME})
set(CPACK_DEBIAN_KESTRUM_PACKAGE_SECTION science)
# Each description's first line is its package's summary.
string(CONCAT CPACK_COMPONENT_KESTRUM_DESCRIPTION
  "MAT-file diagnosis and MEX plug-ins, with a stand-in MATLAB host\n"
  "kestrum reports on the variables of a MAT-file (versions 4, 5, 6, 7 and,\n"
  "through libhdf5, 7.3), from their headers and read whole; it is made for\n"
  "damaged files. vandrel and quenvor are two MEX plug-ins; call_plugin loads\n"
  "a plug-in and calls it with MATLAB-style literals through the stand-in\n"
  "host's libraries libmx, libmex and libmat.")

if(TARGET vandrel_octave)
  set(CPACK_DEBIAN_KESTRUM_PACKAGE_SUGGESTS ${PACKAGE_NAME}-octave)
  set(CPACK_DEBIAN_OCTAVE_PACKAGE_NAME ${PACKAGE_NAME}-octave)
  set(CPACK_DEBIAN_OCTAVE_PACKAGE_SECTION math)
  string(CONCAT CPACK_COMPONENT_OCTAVE_DESCRIPTION
    "The vandrel and quenvor plug-ins for GNU Octave\n"
    "The MEX plug-ins vandrel and quenvor built for GNU Octave, with help files\n"
    "for Octave's help command, in /usr/share/kestrum/octave (addpath it).")
  # Octave's interpreter library, which the MEX files link against, lies in
  # a directory of Octave's own.
  get_filename_component(octave_library_dir ${OCTAVE_INTERPRETER_LIBRARY} DIRECTORY)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${octave_library_dir})
endif()

if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
  set(CPACK_GENERATOR DEB)
else()
  set(CPACK_GENERATOR ZIP)
endif()
include(CPack)
