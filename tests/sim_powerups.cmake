# Every power-up, given to a keyboard ball and fired with its key, in one match: the sim must
# survive all of them (the sanitizer build runs this too) and the trace must show each collected.
# The count comes from the sim itself: a give beyond the catalogue is refused with its bound.
file(WRITE ${OUT}/count.keys "0 give 0 100000\n")
execute_process(COMMAND ${SIM} --data ${DATA} --keys ${OUT}/count.keys --frames 1
                ERROR_VARIABLE refusal OUTPUT_QUIET RESULT_VARIABLE rc)
if(rc EQUAL 0 OR NOT refusal MATCHES "0 <= ID < ([0-9]+)")
  message(FATAL_ERROR "the sim took a power-up beyond the catalogue: ${refusal}")
endif()
math(EXPR last "${CMAKE_MATCH_1} - 1")
math(EXPR frames "${last} * 10 + 20") # time to fire the last one twice
set(keys "")
foreach(id RANGE 1 ${last}) # Red gets power-up ID at frame ID0 and fires at ID4 and ID8
  string(APPEND keys "${id}0 give 0 ${id}\n${id}4 a\n${id}8 a\n")
endforeach()
file(WRITE ${OUT}/powerups.keys "${keys}")
execute_process(COMMAND ${SIM} --data ${DATA} --seed 3 --human 0,5 --keys ${OUT}/powerups.keys
                        --frames ${frames} --trace ${OUT}/powerups.jsonl RESULT_VARIABLE rc)
# (a match won on the way clears the statistics, so any frame will do)
file(STRINGS ${OUT}/powerups.jsonl all REGEX "\"powerups\":${last},")
if(NOT rc EQUAL 0 OR NOT all)
  message(FATAL_ERROR "the sim failed (status ${rc}) or not every power-up was collected")
endif()
