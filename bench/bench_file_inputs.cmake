# The stream player and its whole-file measurement live in the workstation core (Qt).
if(TARGET workstation_core)
  target_link_libraries(bench_file_inputs PRIVATE workstation_core)
else()
  set_target_properties(bench_file_inputs PROPERTIES EXCLUDE_FROM_ALL TRUE)
endif()
