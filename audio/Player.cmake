# The player component: the band, frame and title logic (no library, no
# display), then the player itself with its window, timers and the
# visualisation feed.
add_library(quaverly_audio_logic STATIC
    Bands.cpp VisFrame.cpp StreamTitle.cpp ByteTime.cpp)
target_include_directories(quaverly_audio_logic PUBLIC ${PROJECT_SOURCE_DIR})
