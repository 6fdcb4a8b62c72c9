# The QRhi back end on Qt's Null back end (no GPU needed).
target_link_libraries(${stem} PRIVATE renderer Qt6::GuiPrivate)
