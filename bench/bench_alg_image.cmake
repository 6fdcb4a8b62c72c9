# OpenCV's guided filter (contrib ximgproc) as the peer of the denoise filter; benchmark only.
find_package(OpenCV REQUIRED COMPONENTS core ximgproc)
target_include_directories(${stem} SYSTEM PRIVATE ${OpenCV_INCLUDE_DIRS})
target_link_libraries(${stem} PRIVATE ${OpenCV_LIBS})
