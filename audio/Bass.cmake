# The run-time binding of the audio library and its WMA add-on. It opens
# libbass.so / libbasswma.so by path and never links them.
add_library(quaverly_basslib STATIC BassLibrary.cpp BassWmaLibrary.cpp)
target_include_directories(quaverly_basslib PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(quaverly_basslib PUBLIC quaverly_platform)
