# Run by CPack on the staged files before it builds the package: the
# compiler's .comment section (its version string) has no use in an
# installed program or the Python package's module. CPACK_STRIP_FILES has
# already removed the debug data.
file(GLOB programs "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/usr/bin/*"
     "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/usr/lib/python3/dist-packages/kestrav/*.so")
foreach(program IN LISTS programs)
  execute_process(COMMAND "${CPACK_KESTRAV_STRIP}" --remove-section=.comment "${program}"
                  RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "could not strip ${program}")
  endif()
endforeach()
