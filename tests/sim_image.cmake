# The sim decodes a picture with no data folder at hand and writes it top row first.
set(dir ${OUT}/sim_image)
file(MAKE_DIRECTORY ${dir})
execute_process(COMMAND ${CMAKE_COMMAND} -E env TETHRIX_DATA=/nonexistent ${SIM} --image ${PICTURE}
                WORKING_DIRECTORY ${dir} RESULT_VARIABLE rc OUTPUT_FILE ${dir}/out.pam ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "--image failed: ${rc} ${err}")
endif()
file(READ ${dir}/out.pam got HEX)
string(HEX "P7\nWIDTH 2\nHEIGHT 2\nDEPTH 3\nMAXVAL 255\nTUPLTYPE RGB\nENDHDR\n" header)
# Stored bottom row first as channel planes; pixel (x, y) holds 1 + x + 2y + 4c.
set(want "${header}03070b04080c01050902060a")
if(NOT got STREQUAL want)
  message(FATAL_ERROR "--image wrote\n${got}\nnot\n${want}")
endif()
# A picture it cannot read: status 1, and nothing written.
execute_process(COMMAND ${SIM} --image ${dir}/missing.sgi RESULT_VARIABLE rc OUTPUT_VARIABLE out)
if(NOT rc EQUAL 1 OR NOT out STREQUAL "")
  message(FATAL_ERROR "a missing picture gave status ${rc}, output '${out}'")
endif()
