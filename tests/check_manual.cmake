# Renders the manual page as man(1) does and fails on any warning (-ww turns
# them all on) or on a page that lost its sections (read as plain text).
find_program(GROFF groff REQUIRED)
find_program(MAN man)
execute_process(COMMAND ${GROFF} -ww -man -Tutf8 -P-cbou ${PAGE}
                OUTPUT_VARIABLE page ERROR_VARIABLE warnings RESULT_VARIABLE failed)
if(failed OR warnings)
  message(FATAL_ERROR "groff: status ${failed}\n${warnings}")
endif()
foreach(section NAME SYNOPSIS DESCRIPTION "INPUT FORMAT" "COMMAND LANGUAGE" "EXIT STATUS" DIAGNOSTICS)
  if(NOT page MATCHES "\n${section}\n")
    message(FATAL_ERROR "the rendered page has no ${section} section")
  endif()
endforeach()
if(MAN)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env MANWIDTH=80 ${MAN} --warnings=w -l ${PAGE}
                  OUTPUT_QUIET ERROR_VARIABLE warnings RESULT_VARIABLE failed)
  if(failed OR warnings)
    message(FATAL_ERROR "man -l: status ${failed}\n${warnings}")
  endif()
endif()
