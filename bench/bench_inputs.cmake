# The live camera input lives in the workstation core (Qt); without Qt this program is not built.
if(TARGET workstation_core)
  target_link_libraries(bench_inputs PRIVATE workstation_core)
else()
  set_target_properties(bench_inputs PROPERTIES EXCLUDE_FROM_ALL TRUE)
endif()
