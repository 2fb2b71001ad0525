# Frames a sample photo with geoframe-cli as a shell without a desktop session
# runs it (no XDG_RUNTIME_DIR, no display), and as one whose DISPLAY names a
# display that cannot be reached (ssh after its forwarding ended): stderr holds
# the program's own messages and nothing of Qt's.
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
include("${CMAKE_CURRENT_LIST_DIR}/demo_photo.cmake")
demo_photo("${WORK}" photo)
file(GLOB photos "${WORK}/*.JPG")
foreach(display --unset=DISPLAY DISPLAY=unreachable.invalid:93)
  list(POP_FRONT photos photo)  # one not framed yet
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env --unset=XDG_RUNTIME_DIR ${display} --unset=WAYLAND_DISPLAY
      --unset=QT_QPA_PLATFORM "${CLI}" run --no-backup --frame --comment x "${photo}"
    RESULT_VARIABLE rc OUTPUT_QUIET ERROR_VARIABLE err)
  if(NOT rc EQUAL 0 OR err MATCHES "QStandardPaths|XDG_|qt\\.")
    message(FATAL_ERROR "with ${display}: status ${rc}, stderr:\n${err}")
  endif()
endforeach()
