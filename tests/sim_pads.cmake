# A match played by pads alone replays exactly: from the title, pads join free balls, swing, and
# one is pulled out (the match pauses) and plugged back. With OTHER_SIM, another build agrees.
file(MAKE_DIRECTORY ${OUT})
set(args --data ${DATA} --seed 42 --title --active 0,5 --keys ${KEYS} --frames 600)
include(${CMAKE_CURRENT_LIST_DIR}/sim_trace.cmake)
sim_trace_same(pads)
# Frame: what its line must hold. Balls 1 and 2 are the free ones the pads join, as humans.
set(checks
    "2|\"screen\":\"TitleScreen\""
    "8|\"screen\":\"Display\""
    "19|\"id\":1,\"alive\":[01],\"active\":0"
    "20|\"id\":1,\"alive\":[01],\"active\":1,\"ai\":1000,"
    "25|\"id\":2,\"alive\":[01],\"active\":1,\"ai\":1000,"
    "199|\"paused\":0"
    "200|\"paused\":1"
    "259|\"paused\":1"
    "260|\"paused\":0"
    "599|\"id\":1,[^}]*\"attatches\":4,.*\"id\":2,[^}]*\"attatches\":3,")
sim_trace_holds(pads ${checks})
