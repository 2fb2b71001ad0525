# include()d by the command-line checks: demo_photo(folder var) fills the
# folder with geoframe-make-demo's photos (${DEMO}) and sets var to one of them.
function(demo_photo folder var)
  execute_process(COMMAND "${DEMO}" "${folder}" RESULT_VARIABLE rc OUTPUT_QUIET)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "geoframe-make-demo failed with status ${rc}")
  endif()
  file(GLOB photos "${folder}/*.JPG")
  list(GET photos 0 photo)
  set(${var} "${photo}" PARENT_SCOPE)
endfunction()
