# The sim decodes a picture with no data folder at hand and writes it top row first.
execute_process(COMMAND ${CMAKE_COMMAND} -E env TETHRIX_DATA=/nonexistent ${SIM} --image ${PICTURE}
                RESULT_VARIABLE rc OUTPUT_FILE ${OUT}/sim_image.pam ERROR_VARIABLE err)
file(READ ${OUT}/sim_image.pam got HEX)
string(HEX "P7\nWIDTH 2\nHEIGHT 2\nDEPTH 3\nMAXVAL 255\nTUPLTYPE RGB\nENDHDR\n" header)
# Stored bottom row first as channel planes; pixel (x, y) holds 1 + x + 2y + 4c.
set(want "${header}03070b04080c01050902060a")
if(NOT rc EQUAL 0 OR NOT got STREQUAL want)
  message(FATAL_ERROR "--image: status ${rc} ${err}, wrote\n${got}\nnot\n${want}")
endif()
# A picture it cannot read: status 1, and nothing written.
execute_process(COMMAND ${SIM} --image ${OUT}/missing.sgi RESULT_VARIABLE rc OUTPUT_VARIABLE out)
if(NOT rc EQUAL 1 OR NOT out STREQUAL "")
  message(FATAL_ERROR "a missing picture gave status ${rc}, output '${out}'")
endif()
