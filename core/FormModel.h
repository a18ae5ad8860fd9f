#pragma once

#include <string>
#include <vector>

#include "core/Colour.h"
#include "core/ListViewModel.h"

namespace quaverly {

// Toolkit-neutral model of the main window `TMainForm`: the state of every
// control that the handlers read or write, and the main-window variables that
// several subsystems share. The handlers of the shell, the playlist and the
// views are written against this model; ui/qt mirrors it into real widgets
// after each handler and turns widget events into handler calls, so nearly all
// behaviour is testable without a display.
//
// Positions are client coordinates of the parent, in pixels; sizes are width
// x height. Several markers are control states, not variables: playback is on
// exactly when sbStop is enabled, random order when sbRandom is visible, the
// external-MIDI mode when sbLevel is visible, the audio engine when VisBox is
// visible, the credit view when sbAbout is visible; the current view is told
// by Gauge1's top.

// Cursor numbers of TControl::Cursor.
constexpr int crDefault = 0;
constexpr int crSizeNS = -7;      // north-south sizing arrow
constexpr int crHandLink = 8;     // the hand cursor installed at start-up

// Text alignment of labels.
constexpr int taLeftJustify = 0;
constexpr int taRightJustify = 1;
constexpr int taCenter = 2;

struct TControl {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    bool Visible = true;
    bool Enabled = true;
    TColor Color = clBlack;       // background
    TColor FontColor = clBlack;   // text, where the control has any
    std::string Hint;             // shown as a tool tip
    std::string Caption;          // labels only
    int Cursor = 0;               // 0 default, 8 the hand cursor of the playing views, crSizeNS
    bool ParentColor = false;     // painted in the parent's colour (Color is then ignored)
    bool Transparent = false;     // labels and flat buttons: nothing painted behind the text or glyph
    int Alignment = 0;            // labels: taLeftJustify, taRightJustify or taCenter
    std::string FontName;         // empty: the form's font
    int FontPixels = 0;           // 0: the form's size

    void SetBounds(int left, int top, int width, int height)
    {
        Left = left;
        Top = top;
        Width = width;
        Height = height;
    }
};

// A one-line progress gauge without border or text.
struct TGauge : TControl {
    TColor BackColor = clBlack;
    TColor ForeColor = clBlack;
    int MaxValue = 100;
    int Progress = 0;             // clamped to 0..MaxValue by the setter of the gauge
    void SetProgress(int value) { Progress = value < 0 ? 0 : (value > MaxValue ? MaxValue : value); }
};

// The window region: a union of rectangles (left, top, right, bottom
// exclusive) in window coordinates; an empty list means "no region" (the
// whole window).
struct TRegionRect {
    int Left, Top, Right, Bottom;
    bool operator==(const TRegionRect &) const = default;
};

struct TFormWindow {
    int Left = 0;
    int Top = 0;
    int Width = 195;
    int Height = 108;
    TColor Color = clBlack;
    std::vector<TRegionRect> Region;   // empty: no region
    bool Minimized = false;
    bool ShowMainForm = true;          // false: the application never shows the window
    bool CloseRequested = false;       // a close was asked for (power button, end of a single file)
    bool TerminateRequested = false;   // the application is to end
    int Tag = 0;                       // StripActivated (strip view of the external player)
    bool Active = false;               // the application is the active one
};

// Engine kinds of the playback controller.
enum TEngineKind : int {
    ekMidiFallback = -1,
    ekMediaControl = 0,
    ekOtherUrl = 1,
    ekAsx = 2,
    ekMidi = 3,
    ekAudioEngine = 5,
};

// Main-window variables shared by several subsystems; each is described where
// it is set. All are touched only on the user-interface thread.
struct TMainState {
    std::string ProgramFolder;         // folder of the executable, with trailing "/"
    std::string PlaylistPath;          // file the list is saved to; empty = none yet
    bool PlaylistDirty = false;        // the list differs from the file and must be rewritten whole
    bool SavedRandom = false;          // random flag as last loaded from or saved to the file
    bool SavedVisMidi = false;         // external-MIDI flag as last loaded or saved
    int StartMode = 0;                 // 0 normal, 1 "/AUTO" or "/PLAY", 2 one media file
    int EngineKind = ekMediaControl;
    int NextIndex = 0;                 // row to select when playback starts with nothing selected
    int CurrentIndex = -1;             // row playing or played last
    int ShufflePos = 0;                // 0 forces a new random order at the next use
    std::vector<int> ShuffleOrder;
    int ReplaceOnAdd = 0;              // the list view's tag: 1 while a right-click open runs
    bool Connecting = false;           // a network item is being connected; blocks user commands
    bool IsUrl = false;
    bool IsWindowsMediaFile = false;
    bool DurationUnknown = false;
    int ItemLength = 0;                // seconds, 0 = unknown
    bool GeometryDirty = false;        // position or list height must go to the settings file
    bool WindowCentred = true;         // the window stands at its default, screen-centred place
    bool IsNtFamily = true;
    bool FormActivated = false;
    bool IgnoreNextMouseUp = false;
    bool FirstVideoSeen = false;
    bool PlayerWasOpen = false;        // kept in sbNext3's tag
    bool UserWasIdle = false;
    int DisplayMode = 0;
    int DisplayModeSetting = 9;
    int SavedDisplayModeSetting = 9;
    // daily schedule
    int ScheduleStartHour = 8;
    bool TodayActive = true;
    bool SchedulePass = false;
    bool ScheduleStopped = false;      // the schedule stopped playback; the stopped state minimises
    // playback controller and position timer
    int TickCount = 0;                 // the position timer's ticks 0..9; the tick back to 0 is a second
    int FailedStartsInARow = 0;        // rows that ended within their first second without playing
    // the modal guard: message boxes and dialogs open now (handlers wait)
    int ModalDepth = 0;
    // timers: Timer1 the 100 ms position timer, Timer2 the schedule timer
    bool Timer1Enabled = false;
    bool Timer2Enabled = false;
    // the open dialog's initial folder
    std::string OpenDialogInitialDir;
};

struct TFormModel {
    TFormWindow Form;
    TControl Panel1, BtnPanel;
    TControl sbPlay, sbNext, sbAbout, sbStop, sbNormal, sbLevel, sbOrder, sbRandom, sbAdd, sbMin, sbPower;
    TGauge Gauge1, Gauge2;
    TControl lbProgress;
    TControl MListPanel, pnRect, lbResize;
    TListViewModel MList;
    TControl sbNext2, sbStop2, sbPower2, sbNext3, sbStop3, sbPower3;
    TControl VdoPanel, VisPanel, VisBox, lbTitle, lbTime;
    std::string ApplicationTitle = "Quaverly";   // what task bars show
    TMainState State;

    // Playback is on exactly when the stop button is enabled.
    bool Playing() const { return sbStop.Enabled; }
    bool RandomOrder() const { return sbRandom.Visible; }
    bool ExternalMidiMode() const { return sbLevel.Visible; }
    bool AudioEngineAvailable() const { return VisBox.Visible; }
    bool CreditShown() const { return sbAbout.Visible; }
    bool NormalView() const { return Gauge1.Top != 0; }
    bool StripView() const { return sbNext3.Visible; }
    bool VideoView() const { return VdoPanel.Top == 3; }
    // A message box or dialog is open, or a network row is being connected:
    // timers and user commands wait.
    bool ModalOpen() const { return State.ModalDepth > 0; }
};

// Fills a model with the form resource: every component at its place, size,
// colour and hint, before FormCreate runs. Defined by the window layout.
void InitFormResource(TFormModel &form);

}  // namespace quaverly
