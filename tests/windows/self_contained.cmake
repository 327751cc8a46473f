# tabulon.exe must run on a bare Windows: it may import Windows' own DLLs
# only, none of the compiler's runtime (libstdc++-6, libgcc_s_seh-1,
# libwinpthread-1), which are linked in statically.
execute_process(COMMAND ${OBJDUMP} -p ${BIN} OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "${OBJDUMP} cannot read ${BIN}")
endif()
string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
if(NOT imports)
  message(FATAL_ERROR "no imported DLL found in ${BIN}: not a Windows program?")
endif()
message("${imports}")
foreach(entry ${imports})
  if(entry MATCHES "DLL Name: lib")
    message(FATAL_ERROR "tabulon.exe needs a runtime DLL that Windows lacks: ${entry}")
  endif()
endforeach()
