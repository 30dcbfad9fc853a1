# Run by CPack on the staged files before it builds the package: the
# compiler's .comment section (its version string) has no use in an
# installed program. CPACK_STRIP_FILES has already removed the debug data.
file(GLOB programs "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/usr/bin/*")
foreach(program IN LISTS programs)
  execute_process(COMMAND "${CPACK_KESTRAV_STRIP}" --remove-section=.comment "${program}"
                  RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "could not strip ${program}")
  endif()
endforeach()
