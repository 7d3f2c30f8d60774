# Run by CPack on the installed files it is about to pack: removes the .comment section
# (the compilers' version strings) from every ELF file.
file(GLOB_RECURSE files LIST_DIRECTORIES false "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*")
foreach(file IN LISTS files)
  if(IS_SYMLINK "${file}")
    continue()
  endif()
  file(READ "${file}" magic LIMIT 4 HEX)
  if(magic STREQUAL "7f454c46")
    execute_process(COMMAND "${CPACK_TAVIK_OBJCOPY}" --remove-section=.comment "${file}"
                    RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
      message(FATAL_ERROR "could not remove the .comment section of ${file}")
    endif()
  endif()
endforeach()
