# The game and the sim list a level list's problems alike: same lines, same status. The game
# does it with no display to open a window on.
file(MAKE_DIRECTORY ${OUT})
file(READ ${ARENA} arena)
file(WRITE ${OUT}/damaged.def "${arena}blokc 1 2\nnextlevel 9\nspeed 1e400\n")
foreach(list ${CLEAN} ${OUT}/damaged.def ${OUT}/missing.def)
  execute_process(COMMAND ${SIM} --check-levels ${list}
                  RESULT_VARIABLE sim_rc OUTPUT_VARIABLE sim_out ERROR_VARIABLE sim_err)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY ${GAME} --check-levels ${list}
                  RESULT_VARIABLE game_rc OUTPUT_VARIABLE game_out ERROR_VARIABLE game_err)
  if(NOT sim_rc STREQUAL game_rc OR NOT sim_out STREQUAL game_out)
    message(FATAL_ERROR "${list}: the sim gave status ${sim_rc}:\n${sim_out}${sim_err}\n"
                        "the game gave status ${game_rc}:\n${game_out}${game_err}")
  endif()
  list(APPEND statuses ${game_rc})
endforeach()
if(NOT statuses STREQUAL "0;1;2")
  message(FATAL_ERROR "statuses ${statuses}, not 0 (clean), 1 (problems) and 2 (unreadable)")
endif()
