# cmake -DCLI=... -DDEMO=... -DREADELF=... -DWORK=... -P modules.cmake
# The command line draws text and writes EXIF only with the modules it loads
# for them: the program itself needs neither Qt Gui nor libexiv2, and a copy
# of it without its modules fails each photo it is to frame or give a
# position with the reason, leaving the photo as it was.
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/bin")
execute_process(COMMAND "${READELF}" -d "${CLI}" RESULT_VARIABLE rc OUTPUT_VARIABLE dynamic)
if(NOT rc EQUAL 0 OR dynamic MATCHES "NEEDED[^\n]*(libQt6Gui|libexiv2)")
  message(SEND_ERROR "${CLI} needs Qt Gui or libexiv2 (readelf status ${rc}):\n${dynamic}")
endif()

include("${CMAKE_CURRENT_LIST_DIR}/demo_photo.cmake")
demo_photo("${WORK}" photo)
file(SHA256 "${photo}" before)
file(COPY "${CLI}" DESTINATION "${WORK}/bin")
get_filename_component(program "${CLI}" NAME)
foreach(run "--frame;--comment;x;没有图形环境;text drawing" "--track;${WORK}/track.txt;--write-gps;缺少写入 EXIF;EXIF")
  list(SUBLIST run 0 3 options)
  list(GET run 3 reason)
  list(GET run 4 module)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen "${WORK}/bin/${program}" run ${options} "${photo}"
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  file(SHA256 "${photo}" after)
  if(NOT rc EQUAL 1 OR NOT out MATCHES "${reason}" OR NOT err MATCHES "cannot load the ${module} module"
      OR NOT before STREQUAL after OR EXISTS "${WORK}/BackUp")
    message(SEND_ERROR "${options} without its module: status ${rc}, photo changed: ${before} ${after}\n"
      "stdout:\n${out}\nstderr:\n${err}")
  endif()
endforeach()
