# The exporter lives in the workstation core (Qt); without Qt this program is not built.
if(TARGET workstation_core)
  target_link_libraries(bench_exporter PRIVATE workstation_core)
else()
  set_target_properties(bench_exporter PROPERTIES EXCLUDE_FROM_ALL TRUE)
endif()
