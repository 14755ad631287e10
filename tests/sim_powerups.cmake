# Every power-up, given to a keyboard ball and fired with its key, in one match: the sim must
# survive all of them (the sanitizer build runs this too) and the trace must show each collected.
set(keys "")
foreach(id RANGE 1 43) # Red gets power-up ID at frame ID0 and fires at ID4 and ID8
  string(APPEND keys "${id}0 give 0 ${id}\n${id}4 a\n${id}8 a\n")
endforeach()
file(WRITE ${OUT}/powerups.keys "${keys}")
execute_process(COMMAND ${SIM} --data ${DATA} --seed 3 --human 0,5 --keys ${OUT}/powerups.keys
                        --frames 450 --trace ${OUT}/powerups.jsonl RESULT_VARIABLE rc)
# (a match won on the way clears the statistics, so any frame will do)
file(STRINGS ${OUT}/powerups.jsonl all43 REGEX "\"powerups\":43,")
if(NOT rc EQUAL 0 OR NOT all43)
  message(FATAL_ERROR "the sim failed (status ${rc}) or not every power-up was collected")
endif()
