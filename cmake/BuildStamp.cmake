# The build time stamp of a program is taken when the program is linked, so that a rebuilt
# program shows its own time, not the time CMake last configured. A pre-link step writes a
# one-line source with the current time (build_stamp_source.cmake) and compiles it; the object
# goes on the link line before the libraries, so the default text in kv_cleaner
# (src/cleaner/build_stamp_default.cpp) is not taken.
set(KV_BUILD_STAMP_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/build_stamp_source.cmake)

# kv_link_build_stamp(target): target shows the time of its own link as build time stamp.
function(kv_link_build_stamp target)
  set(dir ${CMAKE_CURRENT_BINARY_DIR}/${target}_build_stamp)
  set(source ${dir}/build_stamp_text.cpp)
  set(object ${dir}/build_stamp_text${CMAKE_CXX_OUTPUT_EXTENSION})
  file(MAKE_DIRECTORY ${dir})
  separate_arguments(flags NATIVE_COMMAND "${CMAKE_CXX_FLAGS}")
  add_custom_command(
    TARGET ${target} PRE_LINK
    COMMAND ${CMAKE_COMMAND} -DOUTPUT=${source} -P ${KV_BUILD_STAMP_SCRIPT}
    COMMAND ${CMAKE_CXX_COMPILER} ${flags} -std=c++20 -Wall -Wextra -Werror
            -I${PROJECT_SOURCE_DIR}/src -c ${source} -o ${object}
    VERBATIM)
  target_link_options(${target} PRIVATE ${object})
  set_property(TARGET ${target} APPEND PROPERTY ADDITIONAL_CLEAN_FILES ${source} ${object})
endfunction()
