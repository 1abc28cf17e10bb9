# Build-time tools run on the build machine, so they are built with the
# host's compiler as a separate project.
include(ExternalProject)

set(QUORVA_HOSTTOOLS_DIR ${CMAKE_BINARY_DIR}/hosttools)
set(QUORVA_FORMC ${QUORVA_HOSTTOOLS_DIR}/bin/formc)
set(QUORVA_ARTWORK ${QUORVA_HOSTTOOLS_DIR}/bin/artwork)

ExternalProject_Add(hosttools
  SOURCE_DIR ${CMAKE_SOURCE_DIR}/tools
  BINARY_DIR ${QUORVA_HOSTTOOLS_DIR}/build
  INSTALL_DIR ${QUORVA_HOSTTOOLS_DIR}
  CMAKE_ARGS -DCMAKE_INSTALL_PREFIX=<INSTALL_DIR>
             -DCMAKE_BUILD_TYPE=Release
             -DCMAKE_C_COMPILER=gcc
             -DCMAKE_CXX_COMPILER=g++
             -DQUORVA_SOURCE_DIR=${CMAKE_SOURCE_DIR}
  CMAKE_GENERATOR Ninja
  BUILD_ALWAYS ON
  BUILD_BYPRODUCTS ${QUORVA_FORMC} ${QUORVA_ARTWORK}
  USES_TERMINAL_BUILD OFF)
