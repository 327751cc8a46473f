# Runs one golden case: copies the case's input files into a fresh work
# folder, runs the binary there with the case's arguments and no standard
# input, and compares exit status, standard output, standard error and the
# output file byte for byte with the expectations beside the input.
#
#   CASE     the case folder        BIN   the tabulon binary
#   WORK     a scratch folder       EMULATOR  optional runner (e.g. wine)
#   WINDOWS  ON for a Windows binary: a case with a windows.skip file is
#            skipped, and the console's CR LF line ends are folded to LF

if(WINDOWS AND EXISTS ${CASE}/windows.skip)
  file(READ ${CASE}/windows.skip why)
  message("SKIPPED on Windows: ${why}")
  return()
endif()

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/run)

file(GLOB inputs RELATIVE ${CASE} ${CASE}/*)
foreach(f ${inputs})
  if(NOT f STREQUAL "cmd" AND NOT f STREQUAL "windows.skip" AND NOT f MATCHES "^expected\\.")
    file(COPY ${CASE}/${f} DESTINATION ${WORK}/run)
  endif()
endforeach()

set(args "input.txt;output.txt")
if(EXISTS ${CASE}/cmd)
  file(READ ${CASE}/cmd raw)
  string(STRIP "${raw}" raw)
  separate_arguments(args UNIX_COMMAND "${raw}")
endif()

execute_process(
  COMMAND ${EMULATOR} ${BIN} ${args}
  WORKING_DIRECTORY ${WORK}/run
  INPUT_FILE /dev/null
  OUTPUT_FILE ${WORK}/stdout
  ERROR_FILE ${WORK}/stderr
  RESULT_VARIABLE status
  TIMEOUT 60)

set(failures "")

# The console streams of a Windows program are in text mode: every line ends
# with CR LF, folded here to LF. The output file is compared unfolded.
if(WINDOWS)
  foreach(stream stdout stderr)
    file(READ ${WORK}/${stream} hex HEX)
    string(REGEX REPLACE "(..)" "\\1 " bytes "${hex}")
    string(REPLACE "0d 0a " "" bytes "${bytes}")
    if(bytes MATCHES "0a ")
      string(APPEND failures "${stream} has a line ended by LF alone\n")
    endif()
    file(READ ${WORK}/${stream} text) # drops the CR of every CR LF
    file(WRITE ${WORK}/${stream} "${text}")
  endforeach()
endif()

macro(compare expected actual what)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${expected} ${actual} RESULT_VARIABLE differ)
  if(differ)
    file(READ ${actual} got)
    file(READ ${expected} want)
    string(APPEND failures "${what} differs.\n--- expected\n${want}\n--- actual\n${got}\n")
  endif()
endmacro()

set(want_status 0)
if(EXISTS ${CASE}/expected.status)
  file(READ ${CASE}/expected.status want_status)
  string(STRIP "${want_status}" want_status)
endif()
if(NOT "${status}" STREQUAL "${want_status}")
  string(APPEND failures "exit status ${status}, expected ${want_status}\n")
endif()

# An explanation reports times, which differ from run to run: "0.012 ms" in
# text, "ms": 0.012 in JSON. Both sides are compared with them masked.
function(mask_times from to)
  file(READ ${from} text)
  string(REGEX REPLACE "[0-9]+\\.[0-9][0-9][0-9] ms" "_ ms" text "${text}")
  string(REGEX REPLACE "\"ms\": [0-9]+\\.[0-9]+" "\"ms\": _" text "${text}")
  file(WRITE ${to} "${text}")
endfunction()

if(args MATCHES "--explain")
  mask_times(${CASE}/expected.stdout ${WORK}/expected.stdout)
  mask_times(${WORK}/stdout ${WORK}/stdout)
  compare(${WORK}/expected.stdout ${WORK}/stdout "standard output")
else()
  compare(${CASE}/expected.stdout ${WORK}/stdout "standard output")
endif()

if(EXISTS ${CASE}/expected.stderr)
  compare(${CASE}/expected.stderr ${WORK}/stderr "standard error")
else()
  file(SIZE ${WORK}/stderr err_size)
  if(err_size GREATER 0)
    file(READ ${WORK}/stderr got)
    string(APPEND failures "unexpected standard error:\n${got}\n")
  endif()
endif()

# The file arguments follow the options; --explain, --explain-rows, --lang
# and --threads take a value.
set(files ${args})
while(files)
  list(GET files 0 first)
  list(LENGTH files count)
  if(first STREQUAL "--")
    list(REMOVE_AT files 0)
    break()
  elseif(first MATCHES "^--(explain|lang|threads)" AND count GREATER 1)
    list(REMOVE_AT files 0 1)
  elseif(first MATCHES "^-.")
    list(REMOVE_AT files 0)
  else()
    break()
  endif()
endwhile()

list(LENGTH files nargs)
if(nargs GREATER_EQUAL 2)
  list(GET files 1 out_name)
  if(EXISTS ${CASE}/expected.output)
    if(EXISTS ${WORK}/run/${out_name})
      compare(${CASE}/expected.output ${WORK}/run/${out_name} "output file")
    else()
      string(APPEND failures "output file ${out_name} was not written\n")
    endif()
  elseif(NOT IS_ABSOLUTE "${out_name}" AND EXISTS ${WORK}/run/${out_name})
    string(APPEND failures "output file ${out_name} was written, none expected\n")
  endif()
endif()

# expected.NAME for any other NAME: the file NAME that the run wrote, such
# as an explanation.
file(GLOB extras RELATIVE ${CASE} ${CASE}/expected.*)
foreach(extra ${extras})
  string(REGEX REPLACE "^expected\\." "" produced "${extra}")
  if(produced MATCHES "^(stdout|stderr|status|output)$")
    continue()
  endif()
  if(EXISTS ${WORK}/run/${produced})
    mask_times(${CASE}/${extra} ${WORK}/want.${produced})
    mask_times(${WORK}/run/${produced} ${WORK}/got.${produced})
    compare(${WORK}/want.${produced} ${WORK}/got.${produced} "${produced}")
  else()
    string(APPEND failures "${produced} was not written\n")
  endif()
endforeach()

if(failures)
  message(FATAL_ERROR "${failures}")
endif()
