# The sim loads the shipped levels, replays mouse and key lines, and refuses bad input.
execute_process(COMMAND ${SIM} --data ${DATA} --level 1 --dump-world --frames 50
                RESULT_VARIABLE rc OUTPUT_VARIABLE out)
if(NOT rc EQUAL 0 OR NOT out MATCHES "\"levelname\":\"Pendulum Hall\"")
  message(FATAL_ERROR "--level 1 did not load Pendulum Hall: ${rc} ${out}")
endif()
# Replays keep the built-in keys whatever the data folder's prefs.def gives a first run.
if(NOT out MATCHES "\"name\":\"Yellow\",\"sound\":\"Yellow\",\"key\":\"b\"")
  message(FATAL_ERROR "the sim took its keys from ${DATA}/prefs.def: ${out}")
endif()
# Each refusal tells why: a bad option, an unreadable data folder, a click outside the menu
# screen, a pad past the last, a button pads lack, a level the list lacks, a data folder named
# by TETHRIX_DATA without its level list.
file(WRITE ${OUT}/bad.keys "3 click 640 10\n")
file(WRITE ${OUT}/pad9.keys "1 a\n4 pad 9 connect\n")
file(WRITE ${OUT}/jump.keys "4 pad 1 jump down\n")
foreach(case "unknown option;${SIM};--bogus" "cannot enter;${SIM};--data;/nonexistent/folder"
             "bad.keys:1: expected click;${SIM};--data;${DATA};--keys;${OUT}/bad.keys"
             "pad9.keys:2: expected pad N .* with 1 <= N <= 8;${SIM};--data;${DATA};--keys;${OUT}/pad9.keys"
             "jump.keys:1: unknown pad button jump;${SIM};--data;${DATA};--keys;${OUT}/jump.keys"
             "levels 0 to;${SIM};--data;${DATA};--tournament;--level;99"
             "/level.def\" is missing;${CMAKE_COMMAND};-E;env;TETHRIX_DATA=${OUT};${SIM}")
  list(POP_FRONT case told)
  execute_process(COMMAND ${case} RESULT_VARIABLE rc OUTPUT_QUIET ERROR_VARIABLE err)
  if(NOT rc EQUAL 2 OR NOT err MATCHES "${told}")
    message(FATAL_ERROR "'${case}' gave status ${rc}, not 2 with '${told}': ${err}")
  endif()
endforeach()
execute_process(COMMAND ${SIM} --data ${DATA} --bench RESULT_VARIABLE rc OUTPUT_VARIABLE out)
if(NOT rc EQUAL 0 OR NOT out MATCHES "bench: 5000 frames")
  message(FATAL_ERROR "--bench without --frames should run 5000 frames: ${rc} ${out}")
endif()
# Clicks reach the score bar's buttons: a click on a ball's label hands it to a human, a second
# hands it back, one on an idle ball's label brings it in. Escape shows the title screen.
file(WRITE ${OUT}/board.keys
     "2 move 300 200\n3 click 20 460\n4 click 20 460\n5 click 120 460\n6 esc\n")
execute_process(COMMAND ${SIM} --data ${DATA} --keys ${OUT}/board.keys --frames 8 --trace -
                RESULT_VARIABLE rc OUTPUT_VARIABLE out)
# Per frame: the first ball's ai, whether the second is in play, and the screen that ran.
set(ball "\"alive\":[01],\"active\":([01]),\"ai\":([0-9]+),[^\n]*")
string(REGEX REPLACE "[^\n]*\"id\":0,${ball}\"id\":1,${ball}\"screen\":\"([A-Za-z]+)\"[^\n]*"
       "\\2 \\3 \\5" got "${out}")
string(CONCAT want "1003 0 Display\n1003 0 Display\n1003 0 Display\n1000 0 Display\n"
       "1003 0 Display\n1003 1 Display\n1003 1 TitleScreen\n1003 1 TitleScreen\n")
if(NOT rc EQUAL 0 OR NOT got STREQUAL want)
  message(FATAL_ERROR "score bar clicks: status ${rc}\n${got}expected\n${want}")
endif()
# --title starts where the game does; a click, an arrow and a click lead into a team match.
file(WRITE ${OUT}/title.keys "2 click 310 240\n4 up\n6 click 420 467\n")
execute_process(COMMAND ${SIM} --data ${DATA} --title --keys ${OUT}/title.keys --frames 9 --trace -
                RESULT_VARIABLE rc OUTPUT_VARIABLE out)
set(walk "\"TitleScreen\".*\"LevelSelect\".*\"gameType\":1001,[^\n]*\"screen\":\"Display\"")
if(NOT rc EQUAL 0 OR NOT out MATCHES "^[^\n]*\"screen\":${walk}")
  message(FATAL_ERROR "--title walk: ${rc}, not title, level select, team deathmatch: ${out}")
endif()
