# Same seed, same keys, same trace: a scripted match replays exactly, and its last frame reaches
# EXPECT. With OTHER_SIM set, a second build of the sim must give the very same trace.
file(MAKE_DIRECTORY ${OUT})
set(args --data ${DATA} --seed 42 --human 0,5 --keys ${KEYS} --frames 600)
if(DEFINED LEVEL)
  list(APPEND args --level ${LEVEL})
endif()
include(${CMAKE_CURRENT_LIST_DIR}/sim_trace.cmake)
sim_trace_same(replay)
file(STRINGS ${OUT}/replay-a.jsonl last REGEX "\"frame\":599,")
if(NOT EXPECT)
  set(EXPECT "\"attatches\":[1-9]")
endif()
foreach(field "${EXPECT}" "\"particles\":" "\"magShield\":" "\"target\":" "\"flags\":\\[\\["
              "\"gravityResetTime\":" "\"arcadeMode\":[01],\"puck\":\\[[-0-9.e]+,[-0-9.e]+,[01]\\]")
  if(NOT last MATCHES "${field}")
    message(FATAL_ERROR "the last frame lacks ${field}: ${last}")
  endif()
endforeach()
