# The XCali calibration block's tree and the open DeviceXCali view, with the device tool's core.
if(TARGET devicetool_core)
  target_link_libraries(bench_xcali PRIVATE devicetool_core)
  target_compile_definitions(bench_xcali PRIVATE OSTREL_BENCH_XCALI
    OSTREL_XCALI_SEED_DIR="${PROJECT_SOURCE_DIR}/tools/camsim"
    OSTREL_BUILD_QML_DIR="${CMAKE_BINARY_DIR}/qml" OSTREL_VIEWS_DIR="${PROJECT_SOURCE_DIR}/devicetool/program/Views")
  if(TARGET Kiv)
    add_dependencies(bench_xcali Kiv)
  endif()
endif()
