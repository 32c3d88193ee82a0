# kv_add_program(target WINDOWS <entry> POSIX <entry> LIBS <libraries>…): one of the shipped
# programs, with its Windows entry (wmain, linked with -municode for wide arguments) or its POSIX
# one for the native build.
function(kv_add_program target)
  cmake_parse_arguments(ARG "" "WINDOWS;POSIX" "LIBS" ${ARGN})
  if(WIN32)
    add_executable(${target} ${ARG_WINDOWS})
    target_link_options(${target} PRIVATE -municode)
  else()
    add_executable(${target} ${ARG_POSIX})
  endif()
  target_link_libraries(${target} PRIVATE ${ARG_LIBS})
endfunction()
