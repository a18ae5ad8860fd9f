#pragma once

namespace quaverly {

// What the hourly schedule asks of the rest of the player when an hour is a
// play hour or a pause hour. The playback controller and the playlist carry
// it out; the composition root binds them.
class IScheduleActions {
public:
    virtual ~IScheduleActions() = default;
    // True while a message box or dialog of the player is open.
    virtual bool ModalOpen() const = 0;
    // Replaces the list by a random playlist of the program folder (the list
    // stays when there is none).
    virtual void PickRandomPlaylist() = 0;
    // NextIndex := the row after CurrentIndex in the current order.
    virtual void ChooseNextIndex() = 0;
    virtual void PlayCurrentItem() = 0;
    // Silences whichever engine plays.
    virtual void StopPlayback() = 0;
    // Buttons, gauges and title of the stopped state; after a stop by the
    // schedule it also minimises the window.
    virtual void ShowStoppedState() = 0;
    // A new random spectrum display mode.
    virtual void PickRandomDisplayMode() = 0;
};

}  // namespace quaverly
