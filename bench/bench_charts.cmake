# The chart and mesh modules live in the workstation core (Qt); without Qt this program is not built.
if(TARGET workstation_core)
  target_link_libraries(bench_charts PRIVATE workstation_core)
  set_target_properties(bench_charts PROPERTIES AUTOMOC ON)
else()
  set_target_properties(bench_charts PROPERTIES EXCLUDE_FROM_ALL TRUE)
endif()
