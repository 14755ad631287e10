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
# Every row says how fair its wins were: a free-for-all by roster slot, a team game by team.
if(NOT out MATCHES "fairness by roster slot: Red [0-9]+, Yellow" OR NOT out MATCHES "fairness flagged: "
   OR NOT json MATCHES "\"slotWins\": \\[" OR NOT json MATCHES "\"fairnessFlagged\": (true|false)")
  message(FATAL_ERROR "a free-for-all row should give its wins by roster slot: ${out} ${json}")
endif()
execute_process(COMMAND ${SIM} --data ${DATA} --tournament --level 5 --own-type --matches 1 --frames 30
                        --swap-teams --json ${OUT}/swapped.json RESULT_VARIABLE rc OUTPUT_VARIABLE out)
file(READ ${OUT}/swapped.json json)
if(NOT rc EQUAL 0 OR NOT out MATCHES "binomial" OR NOT out MATCHES "Teams swapped"
   OR NOT out MATCHES "fairness: red team 0, blue team 0 of 0 won"
   OR NOT json MATCHES "\"swapTeams\": true" OR NOT json MATCHES "\"teamWins\": {")
  message(FATAL_ERROR "a team row should give each team's wins, and say the teams were swapped: ${rc} ${out} ${json}")
endif()
# --swap-teams: Red starts where Purple would, with Purple's push, and the flags trade places.
foreach(swap OFF ON)
  set(args --data ${DATA} --level 5 --dump-world)
  if(swap)
    list(APPEND args --swap-teams)
  endif()
  execute_process(COMMAND ${SIM} ${args} RESULT_VARIABLE rc OUTPUT_VARIABLE world)
  string(REGEX MATCH "\"name\":\"Red\"[^}]*\"team\":([0-9]+)[^}]*\"hStart\":([-0-9.]+),\"vStart\":([-0-9.]+),\"hvStart\":([-0-9.]+)"
         red "${world}")
  set(red_team ${CMAKE_MATCH_1})
  set(red_start "${CMAKE_MATCH_2} ${CMAKE_MATCH_3} ${CMAKE_MATCH_4}")
  string(REGEX MATCH "\"name\":\"Purple\"[^}]*\"hStart\":([-0-9.]+),\"vStart\":([-0-9.]+),\"hvStart\":([-0-9.]+)"
         purple "${world}")
  set(purple_start "${CMAKE_MATCH_1} ${CMAKE_MATCH_2} ${CMAKE_MATCH_3}")
  string(REGEX MATCH "\"flags\":\\[{\"h\":([-0-9.]+)" flag0 "${world}")
  set(flag0_h ${CMAKE_MATCH_1})
  if(NOT swap)
    set(plain_red "${red_start}")
    set(plain_purple "${purple_start}")
    set(plain_flag0 "${flag0_h}")
  elseif(NOT rc EQUAL 0 OR NOT red_team EQUAL 0 OR NOT red_start STREQUAL plain_purple
         OR NOT purple_start STREQUAL plain_red OR plain_flag0 STREQUAL flag0_h OR NOT plain_flag0 LESS 0)
    message(FATAL_ERROR "--swap-teams should trade Red's and Purple's starts and the flags, not the teams: "
                        "red ${red_start} (team ${red_team}) purple ${purple_start} flag 0 at ${flag0_h}; "
                        "unswapped red ${plain_red} purple ${plain_purple} flag 0 at ${plain_flag0}")
  endif()
endforeach()
# --rotate-starts 1: each ball takes the next ball's start, push included, and Blue's wraps
# to Red's (Stepping Stones: the two halves push opposite ways); names stay in roster order.
foreach(k 0 1)
  execute_process(COMMAND ${SIM} --data ${DATA} --level 12 --dump-world --rotate-starts ${k}
                  RESULT_VARIABLE rc OUTPUT_VARIABLE world)
  string(REGEX MATCHALL "\"hStart\":[-0-9.]+,\"vStart\":[-0-9.]+,\"hvStart\":[-0-9.]+,\"vvStart\":[-0-9.]+"
         starts_${k} "${world}")
  string(REGEX MATCHALL "\"name\":\"[A-Za-z]+\"" names_${k} "${world}")
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "--rotate-starts ${k} should load level 12: ${rc}")
  endif()
endforeach()
list(LENGTH starts_0 balls)
list(SUBLIST starts_0 1 -1 expected)
list(GET starts_0 0 first)
list(APPEND expected "${first}")
if(NOT balls EQUAL 6 OR NOT starts_1 STREQUAL expected OR NOT names_1 STREQUAL names_0)
  message(FATAL_ERROR "--rotate-starts 1 should give ball i the start of ball i + 1 (mod ${balls}), "
                      "roster unchanged: got ${starts_1} names ${names_1}; expected ${expected} names ${names_0}")
endif()
