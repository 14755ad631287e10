# The leaderboard of hand-checked matches, line for line; malformed statistics and a missing
# file give status 2 and a message.
foreach(name deathmatch team_deathmatch body_count bad_five_players bad_kills bad_syntax missing)
  execute_process(COMMAND ${SIM} --awards ${FIXTURES}/${name}.json
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  set(want "")
  set(want_rc 2)
  if(EXISTS ${FIXTURES}/${name}.expected)
    file(READ ${FIXTURES}/${name}.expected want)
    set(want_rc 0)
  endif()
  if(NOT rc EQUAL want_rc OR NOT out STREQUAL want
     OR (rc EQUAL 2 AND NOT err MATCHES "tethrix-sim: "))
    message(FATAL_ERROR "${name}: status ${rc} ${err}\n--- got\n${out}--- expected\n${want}")
  endif()
endforeach()
