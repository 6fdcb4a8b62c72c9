# The recorder lives in the workstation core (Qt); without Qt this program is not built.
if(TARGET workstation_core)
  target_link_libraries(bench_recorder PRIVATE workstation_core)
else()
  set_target_properties(bench_recorder PROPERTIES EXCLUDE_FROM_ALL TRUE)
endif()
