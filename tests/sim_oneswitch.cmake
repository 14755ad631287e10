# One-key play in a replay: "FRAME CHAR" is a tap, "down" and "up" a hold; a hold shorter than
# the threshold ropes as a tap does, one that reaches it fires the power-up on its last frame
# and its release does nothing. Replays exactly; with OTHER_SIM, another build agrees.
file(MAKE_DIRECTORY ${OUT})
set(args --data ${DATA} --seed 3 --human 0 --one-switch 0 --keys ${KEYS} --frames 100)
include(${CMAKE_CURRENT_LIST_DIR}/sim_trace.cmake)
sim_trace_same(oneswitch)
set(red "\"id\":0,[^}]*")
set(checks
    "9|${red}\"block\":-1,[^}]*\"attatches\":0,"
    "10|${red}\"block\":-2,[^}]*\"attatches\":1,"
    "30|${red}\"block\":-1,"
    "61|${red}\"block\":-1,[^}]*\"attatches\":1,"
    "62|${red}\"attatches\":2,"
    "82|${red}\"powerUpType\":1,"
    "83|${red}\"powerUpType\":0,"
    "91|${red}\"block\":7,[^}]*\"attatches\":2,")
sim_trace_holds(oneswitch ${checks})
