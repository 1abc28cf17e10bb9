# The command pictures, the program icon, the About dialog's logo and the
# toolbars' drag cursors are drawn by the host tool `artwork`
# (tools/artwork) at build time; include after HostTools.cmake.
set(QUORVA_ARTWORK_DIR ${CMAKE_BINARY_DIR}/artwork)
set(QUORVA_ICON ${QUORVA_ARTWORK_DIR}/Quorva.ico)
# The drag cursors go into every program that shows toolbars, through
# bars/dxBar.rc, which takes them from QUORVA_ARTWORK_DIR.
set(QUORVA_DRAG_CURSORS
  ${QUORVA_ARTWORK_DIR}/dxBarDrag.cur
  ${QUORVA_ARTWORK_DIR}/dxBarDragCopy.cur
  ${QUORVA_ARTWORK_DIR}/dxBarDragNoDrop.cur)
set(QUORVA_ARTWORK_FILES
  ${QUORVA_ARTWORK_DIR}/exit.bin
  ${QUORVA_ARTWORK_DIR}/start.bin
  ${QUORVA_ARTWORK_DIR}/pause.bin
  ${QUORVA_ARTWORK_DIR}/stop.bin
  ${QUORVA_ARTWORK_DIR}/about.bin
  ${QUORVA_ICON}
  ${QUORVA_ARTWORK_DIR}/logo.bin
  ${QUORVA_DRAG_CURSORS})

file(GLOB QUORVA_ARTWORK_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/tools/artwork/*.cpp
  ${CMAKE_SOURCE_DIR}/tools/artwork/*.h)

add_custom_command(
  OUTPUT ${QUORVA_ARTWORK_FILES}
  COMMAND ${QUORVA_ARTWORK} ${QUORVA_ARTWORK_DIR}
  DEPENDS hosttools ${QUORVA_ARTWORK} ${QUORVA_ARTWORK_SOURCES}
  COMMENT "Drawing the command pictures, the program icon, the logo and the drag cursors"
  VERBATIM)
add_custom_target(quorva_artwork DEPENDS ${QUORVA_ARTWORK_FILES})
