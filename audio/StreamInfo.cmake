# The stream-information routine over the file information readers: no
# audio library needed, so it builds wherever the readers do.
if(TARGET quaverly_mediainfo)
    add_library(quaverly_streaminfo STATIC StreamInfo.cpp)
    target_include_directories(quaverly_streaminfo PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(quaverly_streaminfo PUBLIC quaverly_mediainfo)
endif()
