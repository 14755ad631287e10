# Shared by the replay tests: sim_trace_same(NAME) runs the sim with ${args} twice, tracing to
# ${OUT}/NAME-a.jsonl and -b, and fails unless both traces are the same; with OTHER_SIM set, a
# second build of the sim must give that very trace too.
function(sim_trace_same name)
  execute_process(COMMAND ${SIM} ${args} --trace ${OUT}/${name}-a.jsonl RESULT_VARIABLE rc1)
  execute_process(COMMAND ${SIM} ${args} --trace ${OUT}/${name}-b.jsonl RESULT_VARIABLE rc2)
  file(SHA256 ${OUT}/${name}-a.jsonl a)
  file(SHA256 ${OUT}/${name}-b.jsonl b)
  if(NOT rc1 EQUAL 0 OR NOT rc2 EQUAL 0 OR NOT a STREQUAL b)
    message(FATAL_ERROR "the sim failed (${rc1} ${rc2}) or two runs of the same ${name} differ")
  endif()
  if(OTHER_SIM AND EXISTS ${OTHER_SIM})
    execute_process(COMMAND ${OTHER_SIM} ${args} --trace ${OUT}/${name}-c.jsonl RESULT_VARIABLE rc3)
    file(SHA256 ${OUT}/${name}-c.jsonl c)
    if(NOT rc3 EQUAL 0 OR NOT a STREQUAL c)
      message(FATAL_ERROR "the other build (${OTHER_SIM}) plays the ${name} differently")
    endif()
  endif()
endfunction()

# sim_trace_holds(NAME CHECK...): each CHECK is "FRAME|REGEX"; the line of that frame in
# ${OUT}/NAME-a.jsonl must match REGEX.
function(sim_trace_holds name)
  foreach(check ${ARGN})
    string(REPLACE "|" ";" parts "${check}")
    list(GET parts 0 frame)
    list(GET parts 1 want)
    file(STRINGS ${OUT}/${name}-a.jsonl line REGEX "^{\"frame\":${frame},")
    if(NOT line MATCHES "${want}")
      message(FATAL_ERROR "${name}: frame ${frame} lacks ${want}: ${line}")
    endif()
  endforeach()
endfunction()
