# kelm_slurm_test(NAME PROGRAM EXAMPLE): the folder's slurm_test.sh runs PROGRAM on examples/EXAMPLE
# through a single-node Slurm cluster of the test's own (slurm_cluster.sh). Root only, as CI runs;
# its daemons and the solves would disturb the timed tests beside it, and sanitized builds are not
# what it runs.
function(kelm_slurm_test name program example)
  if(NOT KELM_ASAN AND NOT KELM_TSAN)
    add_test(NAME ${name}
             COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/slurm_test.sh $<TARGET_FILE:${program}>
                     ${PROJECT_SOURCE_DIR}/examples/${example})
    set_tests_properties(${name} PROPERTIES TIMEOUT 400 RUN_SERIAL TRUE LABELS daemon)
  endif()
endfunction()
