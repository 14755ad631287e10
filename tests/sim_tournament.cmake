# Bot tournaments: matches end on the leaderboard or are cut off and reported, never fatal.
# (the fixture keeps the type's own target of 3000, reached in seconds)
execute_process(COMMAND ${SIM} --data ${CMAKE_CURRENT_LIST_DIR}/fixtures/target --tournament
                        --game-type 1006 --matches 2 --frames 2000 --json ${OUT}/tournament.json
                RESULT_VARIABLE rc OUTPUT_VARIABLE out)
file(READ ${OUT}/tournament.json json)
if(NOT rc EQUAL 0 OR NOT out MATCHES "Endurance Match +2/2" OR NOT out MATCHES "frames played: "
   OR NOT json MATCHES "\"ended\": 2,.*\"gameType\": 1006,.*\"meanFramesToFirstDeath\": [0-9]")
  message(FATAL_ERROR "two endurance matches should end: ${rc} ${out} ${json}")
endif()
execute_process(COMMAND ${SIM} --data ${DATA} --tournament --level 0 --game-type 1000 --matches 1
                        --frames 30 --seed 7 RESULT_VARIABLE rc OUTPUT_VARIABLE out)
if(NOT rc EQUAL 0 OR NOT out MATCHES "0/1" OR NOT out MATCHES "not over after 30 frames: seed 7")
  message(FATAL_ERROR "a match cut off by the cap should be reported: ${rc} ${out}")
endif()
execute_process(COMMAND ${SIM} --data ${CMAKE_CURRENT_LIST_DIR}/fixtures/target --tournament
                        --own-type --matches 1 --frames 100 --json ${OUT}/own-target.json
                RESULT_VARIABLE rc OUTPUT_VARIABLE out)
file(READ ${OUT}/own-target.json json)
if(NOT rc EQUAL 0 OR NOT out MATCHES "Endurance Match +1/1" OR NOT json MATCHES "\"target\": 5")
  message(FATAL_ERROR "--own-type should play to the level's own target of 5: ${rc} ${out} ${json}")
endif()
