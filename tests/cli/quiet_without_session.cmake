# Frames a sample photo with geoframe-cli as a shell without a desktop session
# runs it (no XDG_RUNTIME_DIR, no display): stderr holds the program's own
# messages and nothing of Qt's.
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
execute_process(COMMAND "${DEMO}" "${WORK}" RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "geoframe-make-demo failed with status ${rc}")
endif()
file(GLOB photos "${WORK}/*.JPG")
list(GET photos 0 photo)
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env --unset=XDG_RUNTIME_DIR --unset=DISPLAY --unset=WAYLAND_DISPLAY
    --unset=QT_QPA_PLATFORM "${CLI}" run --no-backup --frame --comment x "${photo}"
  RESULT_VARIABLE rc OUTPUT_QUIET ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR err MATCHES "QStandardPaths|XDG_|qt\\.")
  message(FATAL_ERROR "status ${rc}, stderr:\n${err}")
endif()
