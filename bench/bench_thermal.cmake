# The chart and item painting on the renderer's Null back end (CPU side of a frame only).
if(TARGET thermal_core)
  target_sources(${stem} PRIVATE ${CMAKE_SOURCE_DIR}/tests/renderer_gpu/RhiTarget.cpp)
  target_link_libraries(${stem} PRIVATE thermal_core Qt6::Gui Qt6::GuiPrivate)
endif()
