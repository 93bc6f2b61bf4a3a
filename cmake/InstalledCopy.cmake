# brindle_installed_copy(target): a second build of a program, for
# `cmake --install` and the package. It is compiled with
# BRINDLE_INSTALLED_COPY, so it keeps its settings and pictures in the
# user's folders (settings/Places.h), while the build folder's copy keeps
# them beside itself. Only the program's own sources are compiled again;
# the libraries are shared. The copy is build/installed/bin/<program>.
# Call it in the directory that made the target.
function(brindle_installed_copy target)
  get_target_property(sources ${target} SOURCES)
  get_target_property(libs ${target} LINK_LIBRARIES)
  set(copy ${target}_installed)
  add_executable(${copy} ${sources})
  target_link_libraries(${copy} PRIVATE ${libs})
  target_compile_definitions(${copy} PRIVATE BRINDLE_INSTALLED_COPY)
  set_target_properties(${copy} PROPERTIES OUTPUT_NAME ${target}
                        RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/installed/bin)
endfunction()
