# The player component: the band, frame and title logic (no library, no
# display), then the player itself with its window, timers and the
# visualisation feed.
add_library(quaverly_audio_logic STATIC
    Bands.cpp VisFrame.cpp StreamTitle.cpp ByteTime.cpp)
target_include_directories(quaverly_audio_logic PUBLIC ${PROJECT_SOURCE_DIR})

if(TARGET quaverly_basslib AND TARGET quaverly_streaminfo AND TARGET Qt6::Core)
    add_library(quaverly_audio STATIC
        AudioPlayer.cpp AudioPlayer.h
        PlayerWindow.cpp PlayerWindow.h
        PlayerLibrary.cpp
        UrlConnector.cpp UrlConnector.h
        SharedMemory.cpp
        VisThread.cpp VisThread.h)
    target_include_directories(quaverly_audio PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(quaverly_audio PUBLIC
        quaverly_audio_logic quaverly_basslib quaverly_streaminfo quaverly_platform Qt6::Core)
endif()
