# Each library of src/ shows only its own folder to the code that links it: its public include
# directory holds a single link, <folder> -> src/<folder>, so that "spooler/inventory.h" is found
# by kv_spooler and what links it, and an include of a layer the library does not link (a higher
# one, or a neighbour) fails to build.
#
# kv_layer_library(<target>): for the library made in the current folder (src/<layer>, or
# tests/standins for the stand-ins).
function(kv_layer_library target)
  get_filename_component(folder ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  set(root ${PROJECT_BINARY_DIR}/layers/${target})
  file(MAKE_DIRECTORY ${root})
  file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${root}/${folder} SYMBOLIC)
  target_include_directories(${target} PUBLIC ${root})
  target_link_libraries(${target} PUBLIC kv_common)
endfunction()
