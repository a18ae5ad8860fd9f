#pragma once

#include "app/PlaybackController.h"
#include "app/ScheduleActions.h"
#include "playlist/Playlist.h"
#include "core/FormModel.h"

namespace quaverly {

// The schedule's play and pause hours carried out by the playback
// controller and the playlist; a box open anywhere holds the schedule back.
class TPlayerScheduleActions final : public IScheduleActions {
public:
    TPlayerScheduleActions(const TFormModel &form, TPlaybackController &controller, TPlaylist &playlist)
        : form_(form), controller_(controller), playlist_(playlist) {}
    bool ModalOpen() const override { return form_.ModalOpen(); }
    void PickRandomPlaylist() override { playlist_.PickRandomPlaylist(); }
    void ChooseNextIndex() override { controller_.ChooseNextIndex(); }
    void PlayCurrentItem() override { controller_.PlayCurrentItem(); }
    void StopPlayback() override { controller_.StopPlayback(); }
    void ShowStoppedState() override { controller_.ShowStoppedState(); }
    void PickRandomDisplayMode() override { controller_.PickRandomDisplayMode(); }

private:
    const TFormModel &form_;
    TPlaybackController &controller_;
    TPlaylist &playlist_;
};

}  // namespace quaverly
