# The live device's hand-over: its Qt-free ring and meter, and the device itself (Qt).
target_link_libraries(bench_devicetool PRIVATE devicetool_base)
if(TARGET devicetool_core)
  target_link_libraries(bench_devicetool PRIVATE devicetool_core)
  target_compile_definitions(bench_devicetool PRIVATE OSTREL_BENCH_DEVICE)
endif()
