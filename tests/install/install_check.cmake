# Installs the build into a fresh prefix and runs the installed `tarvolin`
# from another folder: the programs land in bin/, the shipped data in
# share/tarvolin/, and the installed program reads its data from there.
# Run with -DBUILD=<build tree> -DWORK=<scratch folder> -DSOURCE_DATA=<data/>.
cmake_minimum_required(VERSION 3.20)

function(fail message)
  message(FATAL_ERROR "${message}")
endfunction()

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/elsewhere)
set(prefix ${WORK}/prefix)
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${prefix}
                RESULT_VARIABLE rc OUTPUT_QUIET ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  fail("cmake --install failed: ${err}")
endif()

# The layout.
set(expected bin/tarvolin share/tarvolin/timing_database.txt share/tarvolin/examples)
foreach(optional WhatsNew.txt icons guide)
  if(EXISTS ${SOURCE_DATA}/${optional})
    list(APPEND expected share/tarvolin/${optional})
  endif()
endforeach()
foreach(item ${expected})
  if(NOT EXISTS ${prefix}/${item})
    fail("missing from the install: ${item}")
  endif()
endforeach()

# A game made and run by the installed program, from another folder.
set(tool ${prefix}/bin/tarvolin)
execute_process(COMMAND ${tool} new ${WORK}/game/game.tvp WORKING_DIRECTORY ${WORK}/elsewhere
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0)
  fail("tarvolin new failed: ${out}")
endif()
file(GLOB_RECURSE mains ${WORK}/game/*/main.txt)
list(LENGTH mains count)
if(NOT count EQUAL 1)
  fail("the new project has no single main script: ${mains}")
endif()
file(WRITE ${mains} "V_LV0 = 1\nReturn\n")

function(run_game result)
  execute_process(COMMAND ${tool} run ${WORK}/game/game.tvp --frames 2 WORKING_DIRECTORY ${WORK}/elsewhere
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  set(${result} "${rc}|${out}" PARENT_SCOPE)
endfunction()

run_game(intact)
if(NOT intact MATCHES "^0\\|" OR intact MATCHES "Failed to initialise|tipo de comando desconocido")
  fail("the installed tarvolin did not run cleanly: ${intact}")
endif()

# The installed database is the one read: spoiled, the run says so.
file(WRITE ${prefix}/share/tarvolin/timing_database.txt "NoSuchCommand 1 2 3\n")
run_game(spoiled)
if(NOT spoiled MATCHES "Failed to initialise|tipo de comando desconocido")
  fail("the installed tarvolin did not read share/tarvolin/timing_database.txt: ${spoiled}")
endif()
file(REMOVE_RECURSE ${WORK})
