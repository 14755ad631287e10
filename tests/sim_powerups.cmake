# Every power-up, given to a keyboard ball and fired with its key, in one match:
# the sim must survive all of them (the sanitizer build runs this too) and the
# trace must show each one collected.
file(MAKE_DIRECTORY ${OUT})
set(keys "${OUT}/powerups.keys")
file(WRITE ${keys} "# give each power-up to Red, then fire it with Red's key\n")
foreach(id RANGE 1 43)
  math(EXPR at "${id} * 12")
  math(EXPR fire "${at} + 4")
  math(EXPR again "${at} + 8")
  file(APPEND ${keys} "${at} give 0 ${id}\n${fire} a\n${again} a\n")
endforeach()
execute_process(COMMAND ${SIM} --data ${DATA} --seed 3 --human 0,5 --keys ${keys} --frames 560
                        --trace ${OUT}/powerups.jsonl RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the sim failed with every power-up: ${rc}")
endif()
# (a match won on the way clears the statistics, so any frame will do)
file(STRINGS ${OUT}/powerups.jsonl all43 REGEX "\"powerups\":43,")
if(NOT all43)
  message(FATAL_ERROR "not every power-up was collected")
endif()
