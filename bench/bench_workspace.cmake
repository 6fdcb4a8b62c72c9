# The live module lives in the workstation core (Qt); without Qt this program is not built.
if(TARGET workstation_core)
  target_link_libraries(bench_workspace PRIVATE workstation_core)
  # The program runs as a copy of its own for the workspace of many tabs.
  if(TARGET Calorvue)
    add_dependencies(bench_workspace Calorvue)
    target_compile_definitions(bench_workspace PRIVATE CALORVUE_PATH="$<TARGET_FILE:Calorvue>")
  endif()
else()
  set_target_properties(bench_workspace PROPERTIES EXCLUDE_FROM_ALL TRUE)
endif()
