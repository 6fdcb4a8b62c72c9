# The frame benchmark times OpenCV's flip, rotate, median and resize beside ours (benchmark only).
find_package(OpenCV REQUIRED COMPONENTS core imgproc)
target_include_directories(${stem} SYSTEM PRIVATE ${OpenCV_INCLUDE_DIRS})
target_link_libraries(${stem} PRIVATE ${OpenCV_LIBS})
