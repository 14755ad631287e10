# The sim loads the shipped levels, runs frames, and refuses bad input with status 2.
execute_process(COMMAND ${SIM} --data ${DATA} --dump-world --frames 50 RESULT_VARIABLE rc OUTPUT_VARIABLE out)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "sim failed: ${rc}")
endif()
if(NOT out MATCHES "\"levelname\":\"The Lattice\"")
  message(FATAL_ERROR "level 0 not loaded: ${out}")
endif()
execute_process(COMMAND ${SIM} --data ${DATA} --level 1 --dump-world RESULT_VARIABLE rc OUTPUT_VARIABLE out)
if(NOT out MATCHES "\"currentLevel\":1," OR NOT out MATCHES "Pendulum Hall")
  message(FATAL_ERROR "--level 1 did not load level 1: ${out}")
endif()
# A bad option, an unreadable data folder, a click outside the menu screen: status 2.
file(WRITE ${OUT}/bad.keys "3 click 640 10\n")
foreach(args "--bogus" "--data;/nonexistent/folder" "--data;${DATA};--keys;${OUT}/bad.keys")
  execute_process(COMMAND ${SIM} ${args} RESULT_VARIABLE rc OUTPUT_QUIET ERROR_QUIET)
  if(NOT rc EQUAL 2)
    message(FATAL_ERROR "${args} gave status ${rc}, not 2")
  endif()
endforeach()
execute_process(COMMAND ${SIM} --data ${DATA} --bench RESULT_VARIABLE rc OUTPUT_VARIABLE out)
if(NOT rc EQUAL 0 OR NOT out MATCHES "bench: 5000 frames")
  message(FATAL_ERROR "--bench without --frames should run 5000 frames: ${rc} ${out}")
endif()
# A data folder named by TETHRIX_DATA without its level list: the message names the file.
file(MAKE_DIRECTORY ${OUT}/empty-data)
execute_process(COMMAND ${CMAKE_COMMAND} -E env TETHRIX_DATA=${OUT}/empty-data ${SIM}
                RESULT_VARIABLE rc OUTPUT_QUIET ERROR_VARIABLE err)
if(NOT rc EQUAL 2 OR NOT err MATCHES "empty-data/level.def\" is missing")
  message(FATAL_ERROR "a missing level.def was not named: ${rc} ${err}")
endif()
# Mouse and arrow lines reach the routines installed: the score bar's buttons end
# exactly at the menu pixels 20 and 120 and rows 451 to 479, a click hands a ball
# over (with two in play a human goes back to the computer), and Escape shows
# the title screen. Balls are bots until handed to a human.
file(WRITE ${OUT}/board.keys "2 move 300 200\n3 click 19 460\n4 click 20 460\n5 click 119 479\n6 up\n7 click 120 451\n8 click 120 450\n9 left\n10 esc\n")
execute_process(COMMAND ${SIM} --data ${DATA} --keys ${OUT}/board.keys --frames 12 --trace -
                RESULT_VARIABLE rc OUTPUT_VARIABLE out)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "sim with mouse and arrow lines failed: ${rc}")
endif()
string(REGEX MATCHALL "\"frame\":[0-9]+,[^\n]*" frames "${out}")
# Per frame: the first two balls' active and ai flags, and the screen that ran.
set(want "1 1003 0 1003 Display" "1 1003 0 1003 Display" "1 1003 0 1003 Display"
         "1 1003 0 1003 Display" "1 1000 0 1003 Display" "1 1003 0 1003 Display"
         "1 1003 0 1003 Display" "1 1003 1 1003 Display" "1 1003 1 1003 Display"
         "1 1003 1 1003 Display" "1 1003 1 1003 TitleScreen" "1 1003 1 1003 TitleScreen")
foreach(f RANGE 11)
  list(GET frames ${f} line)
  string(REGEX MATCH "\"active\":([01]),\"ai\":([0-9]+),[^{]*\\{[^}]*\"active\":([01]),\"ai\":([0-9]+)" m "${line}")
  set(a "${CMAKE_MATCH_1} ${CMAKE_MATCH_2} ${CMAKE_MATCH_3} ${CMAKE_MATCH_4}")
  string(REGEX MATCH "\"screen\":\"([A-Za-z]+)\"" m "${line}")
  list(GET want ${f} w)
  if(NOT "${a} ${CMAKE_MATCH_1}" STREQUAL w)
    message(FATAL_ERROR "frame ${f}: ${a} ${CMAKE_MATCH_1}, expected ${w}")
  endif()
  if(NOT line MATCHES "\"arcadeMode\":0,\"puck\":\\[[-0-9.e]+,[-0-9.e]+,[01]\\]")
    message(FATAL_ERROR "frame ${f} lacks arcadeMode or puck: ${line}")
  endif()
endforeach()
# --title starts where the game does; clicks and keys walk the menus into a team match.
file(WRITE ${OUT}/title.keys "2 click 310 385\n4 esc\n6 click 460 400\n8 esc\n10 click 130 385\n"
     "12 esc\n14 click 310 240\n16 up\n18 click 420 467\n")
execute_process(COMMAND ${SIM} --data ${DATA} --title --keys ${OUT}/title.keys --frames 21 --trace -
                RESULT_VARIABLE rc OUTPUT_VARIABLE out)
string(REGEX MATCHALL "\"screen\":\"[A-Za-z]+\"" screens "${out}")
list(REMOVE_DUPLICATES screens) # each screen once, in order of first showing
string(REPLACE "\"screen\":" "" screens "${screens}")
set(want "\"TitleScreen\";\"Options\";\"HelpView\";\"CreditsView\";\"LevelSelect\";\"Display\"")
if(NOT rc EQUAL 0 OR NOT screens STREQUAL want OR NOT out MATCHES "\"gameType\":1001,[^\n]*\"screen\":\"Display\"")
  message(FATAL_ERROR "--title walk: ${rc} ${screens}, expected ${want} ending in a team deathmatch")
endif()
