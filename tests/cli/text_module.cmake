# cmake -DCLI=... -DDEMO=... -DREADELF=... -DWORK=... -P text_module.cmake
# The command line draws text only with the module it loads to frame: the
# program itself needs no Qt Gui, and a copy of it without the module fails
# each photo it is to frame with the reason, leaving the photo as it was.
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/bin")
execute_process(COMMAND "${READELF}" -d "${CLI}" RESULT_VARIABLE rc OUTPUT_VARIABLE dynamic)
if(NOT rc EQUAL 0 OR dynamic MATCHES "NEEDED[^\n]*libQt6Gui")
  message(SEND_ERROR "${CLI} needs Qt Gui (readelf status ${rc}):\n${dynamic}")
endif()

include("${CMAKE_CURRENT_LIST_DIR}/demo_photo.cmake")
demo_photo("${WORK}" photo)
file(SHA256 "${photo}" before)
file(COPY "${CLI}" DESTINATION "${WORK}/bin")
get_filename_component(program "${CLI}" NAME)
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen "${WORK}/bin/${program}" run --frame --comment x "${photo}"
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
file(SHA256 "${photo}" after)
if(NOT rc EQUAL 1 OR NOT out MATCHES "没有图形环境" OR NOT err MATCHES "cannot load the text drawing module"
    OR NOT before STREQUAL after OR EXISTS "${WORK}/BackUp")
  message(SEND_ERROR "without its module: status ${rc}, photo changed: ${before} ${after}\nstdout:\n${out}\nstderr:\n${err}")
endif()
