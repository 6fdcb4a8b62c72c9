# The renderer benchmark drives the path core through the recording back end of the tests.
target_sources(${stem} PRIVATE ${CMAKE_SOURCE_DIR}/tests/support/RecordingBackend.cpp)
target_include_directories(${stem} PRIVATE ${CMAKE_SOURCE_DIR}/tests/support ${RENDERER_CORE_INTERNAL_DIR})
target_link_libraries(${stem} PRIVATE renderer)
target_compile_definitions(${stem} PRIVATE
  OSTREL_FONT_DEJAVU="/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf")
