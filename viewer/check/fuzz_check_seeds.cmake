# The fuzz seeds of the claim check: small complete files of each kind and
# generation, and a file of each fault claimgen knows.
#   cmake -DCLAIMGEN=<claimgen> -DSEEDS=<folder> -P fuzz_check_seeds.cmake
file(MAKE_DIRECTORY ${SEEDS})
foreach(kind claim benefit)
  foreach(generation 2000 current)
    execute_process(COMMAND ${CLAIMGEN} --kind ${kind} --generation ${generation} --lines 40
                            ${SEEDS}/${kind}-${generation}.csv COMMAND_ERROR_IS_FATAL ANY)
  endforeach()
endforeach()
execute_process(COMMAND ${CLAIMGEN} --list-faults OUTPUT_VARIABLE faults COMMAND_ERROR_IS_FATAL ANY)
string(REPLACE "\n" ";" faults "${faults}")
foreach(fault ${faults})
  if(fault)
    set(lines 40)
    if(fault STREQUAL "benefit-too-many-lines")
      set(lines 110)
    endif()
    execute_process(COMMAND ${CLAIMGEN} --generation current --lines ${lines} --fault ${fault}
                            ${SEEDS}/${fault}.csv OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
  endif()
endforeach()
file(TOUCH ${SEEDS}/stamp)
