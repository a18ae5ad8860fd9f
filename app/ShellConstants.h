#pragma once

namespace quaverly {

// Fixed names of the application shell.
// The single-instance lock stands for the named mutex "Quaverly 2008"; its
// file is InstanceLock::kFileName.
constexpr const char *kApplicationTitle = "Quaverly";
// The application title after the schedule stopped playback, and on a day
// the schedule's draw left silent.
constexpr const char *kScheduledPauseTitle = "暂停@智能模式";
constexpr const char *kDayOffTitle = "今日停播";
// The audio library looked for beside the executable: without it there is
// no audio engine and every item goes to the media control.
constexpr const char *kAudioLibraryFile = "libbass.so";
// The external MIDI player looked for beside the executable.
constexpr const char *kExternalPlayerFile = "XGPlayer.exe";
// Height of the normal window and of the list panel in it.
constexpr int kNormalWindowHeight = 108;
constexpr int kNormalListPanelHeight = 72;
// Title column of the list: its widest, and the scroll bar width the form
// resource's narrowest (143 - 17 = 126) is made for.
constexpr int kTitleColumnMax = 143;
constexpr int kDefaultScrollBarWidth = 17;

}  // namespace quaverly
