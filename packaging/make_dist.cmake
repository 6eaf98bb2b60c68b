# Lays out the distribution tree from the install step:
#   DIST_NAME/TarvolinSetup
#   DIST_NAME/Install/   the programs of bin/ and Uninstall, beside them the
#                        shipped data of share/tarvolin/, the user guide as
#                        "UserGuide" and the sample projects as "Sample_ROMs"
# and DIST_NAME.tar.gz beside it. Run with cmake -P and -D BUILD_DIR,
# DIST_DIR, DIST_NAME, SETUP_EXE, UNINSTALL_EXE, STRIP (may be empty).
foreach(var BUILD_DIR DIST_DIR DIST_NAME SETUP_EXE UNINSTALL_EXE)
  if(NOT DEFINED ${var} OR "${${var}}" STREQUAL "")
    message(FATAL_ERROR "make_dist.cmake: falta ${var}")
  endif()
endforeach()

set(stage ${DIST_DIR}/stage)
set(tree ${DIST_DIR}/${DIST_NAME})
set(install_tree ${tree}/Install)
file(REMOVE_RECURSE ${stage} ${tree} ${DIST_DIR}/${DIST_NAME}.tar.gz)

execute_process(
  COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${stage} --strip
  RESULT_VARIABLE installed OUTPUT_QUIET)
if(NOT installed EQUAL 0)
  message(FATAL_ERROR "cmake --install falló")
endif()

file(MAKE_DIRECTORY ${install_tree})
file(GLOB programs ${stage}/bin/*)
file(COPY ${programs} ${UNINSTALL_EXE} DESTINATION ${install_tree})
file(COPY ${SETUP_EXE} DESTINATION ${tree})
if(STRIP)
  execute_process(COMMAND ${STRIP} ${install_tree}/Uninstall ${tree}/TarvolinSetup)
endif()

file(GLOB data_entries RELATIVE ${stage}/share/tarvolin ${stage}/share/tarvolin/*)
foreach(entry ${data_entries})
  if(entry STREQUAL "guide")
    file(COPY ${stage}/share/tarvolin/guide/ DESTINATION ${install_tree}/UserGuide)
  elseif(entry STREQUAL "examples")
    file(COPY ${stage}/share/tarvolin/examples/ DESTINATION ${install_tree}/Sample_ROMs)
  else()
    file(COPY ${stage}/share/tarvolin/${entry} DESTINATION ${install_tree})
  endif()
endforeach()
file(REMOVE_RECURSE ${stage})

execute_process(
  COMMAND ${CMAKE_COMMAND} -E tar czf ${DIST_NAME}.tar.gz ${DIST_NAME}
  WORKING_DIRECTORY ${DIST_DIR} RESULT_VARIABLE packed)
if(NOT packed EQUAL 0)
  message(FATAL_ERROR "No se pudo crear ${DIST_NAME}.tar.gz")
endif()
message(STATUS "Distribución: ${tree} y ${DIST_DIR}/${DIST_NAME}.tar.gz")
