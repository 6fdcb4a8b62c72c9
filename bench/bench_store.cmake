# The folder listing lives in the workstation core (Qt); the pictures come from the golden writer.
if(TARGET workstation_core)
  target_link_libraries(bench_store PRIVATE workstation_core)
  target_compile_definitions(bench_store PRIVATE OSTREL_SYSTEM_PYTHON="${OSTREL_SYSTEM_PYTHON}"
    OSTREL_GOLDEN_SCRIPT="${PROJECT_SOURCE_DIR}/tests/sdk_files/make_golden.py")
else()
  set_target_properties(bench_store PROPERTIES EXCLUDE_FROM_ALL TRUE)
endif()
