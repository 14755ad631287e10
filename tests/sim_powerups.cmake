# Every power-up, given to a keyboard ball and fired with its key, in one match:
# the sim must survive all of them (the sanitizer build runs this too) and the
# trace must show each one collected.
file(MAKE_DIRECTORY ${OUT})
set(keys "${OUT}/powerups.keys")
file(WRITE ${keys} "")
foreach(id RANGE 1 43) # Red gets power-up ID at frame ID0 and fires at ID4 and ID8
  file(APPEND ${keys} "${id}0 give 0 ${id}\n${id}4 a\n${id}8 a\n")
endforeach()
execute_process(COMMAND ${SIM} --data ${DATA} --seed 3 --human 0,5 --keys ${keys} --frames 450
                        --trace ${OUT}/powerups.jsonl RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the sim failed with every power-up: ${rc}")
endif()
# (a match won on the way clears the statistics, so any frame will do)
file(STRINGS ${OUT}/powerups.jsonl all43 REGEX "\"powerups\":43,")
if(NOT all43)
  message(FATAL_ERROR "not every power-up was collected")
endif()
