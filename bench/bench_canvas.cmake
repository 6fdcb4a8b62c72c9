# The canvas benchmark drives the canvas and its renderer on an offscreen QRhi: OpenGL where the
# platform offers it (run under xvfb-run with QT_QPA_PLATFORM=xcb), else the null back end.
if(NOT TARGET thermal_core)
  set_target_properties(${stem} PROPERTIES EXCLUDE_FROM_ALL ON)
  return()
endif()
target_link_libraries(${stem} PRIVATE thermal_core Qt6::Gui Qt6::GuiPrivate Qt6::Quick)
