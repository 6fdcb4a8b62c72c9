# OpenCV's box filter and weighted sum as the peers of the mean filter and the blend; benchmark only.
find_package(OpenCV REQUIRED COMPONENTS core imgproc)
target_include_directories(${stem} SYSTEM PRIVATE ${OpenCV_INCLUDE_DIRS})
target_link_libraries(${stem} PRIVATE ${OpenCV_LIBS})
