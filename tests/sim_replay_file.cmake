# A replay the game saved plays in the sim with every check held; the same file with one
# input taken out stops at a check, naming the frame. REPLAY was recorded by this build's
# rules: a change that means to alter play records it again (see walk.keys beside it).
file(MAKE_DIRECTORY ${OUT})
execute_process(COMMAND ${SIM} --data ${DATA} --replay ${REPLAY} --trace ${OUT}/replay.jsonl
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the replay did not play (${rc}): ${err}")
endif()
if(NOT out MATCHES "checks held, won to the leaderboard" OR NOT out MATCHES "leaderboard: [A-Za-z]+ Wins!")
  message(FATAL_ERROR "the replay did not reach its leaderboard:\n${out}")
endif()
file(STRINGS ${OUT}/replay.jsonl traced)
list(LENGTH traced frames)
if(NOT out MATCHES "replay: ${frames} frames")
  message(FATAL_ERROR "the trace has ${frames} frames, the run says:\n${out}")
endif()

# The first key the human pressed, taken out.
file(READ ${REPLAY} text)
string(REGEX MATCH "\n[0-9]+ z\n" first "${text}")
string(FIND "${text}" "${first}" at)
string(LENGTH "${first}" len)
math(EXPR after "${at} + ${len}")
string(SUBSTRING "${text}" 0 ${at} head)
string(SUBSTRING "${text}" ${after} -1 tail)
file(WRITE ${OUT}/tampered.replay "${head}\n${tail}")
execute_process(COMMAND ${SIM} --data ${DATA} --replay ${OUT}/tampered.replay
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(rc EQUAL 0 OR NOT err MATCHES "replay out of step at frame [0-9]+: recorded by version [^,]+, played by ")
  message(FATAL_ERROR "the tampered replay was not stopped (${rc}):\n${out}${err}")
endif()
