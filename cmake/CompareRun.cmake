# Compares one run of virlo-cli with its expected files, as the golden checks do:
#   EXPECTED.status  optional: the exit status, when it is not 0
#   EXPECTED.txt     the exact standard output (none: no output)
#   EXPECTED.stderr  optional: the exact standard error
# On a different output the actual one is written to ACTUAL for a diff.
function(virlo_compare_run name expected status out err actual)
  set(expected_status 0)
  if(EXISTS "${expected}.status")
    file(READ "${expected}.status" expected_status)
    string(STRIP "${expected_status}" expected_status)
  endif()
  if(NOT status STREQUAL expected_status)
    message(FATAL_ERROR "${name}: exit status ${status}, expected ${expected_status}\nstderr:\n${err}")
  endif()

  set(expected_out "")
  if(EXISTS "${expected}.txt")
    file(READ "${expected}.txt" expected_out)
  endif()
  if(NOT out STREQUAL expected_out)
    file(WRITE "${actual}" "${out}")
    message(FATAL_ERROR "${name}: the output differs from ${name}.txt; it was written to ${actual}\n"
                        "diff: diff ${expected}.txt ${actual}")
  endif()

  if(EXISTS "${expected}.stderr")
    file(READ "${expected}.stderr" expected_err)
    if(NOT err STREQUAL expected_err)
      message(FATAL_ERROR "${name}: standard error differs:\n${err}\nexpected:\n${expected_err}")
    endif()
  endif()
endfunction()
