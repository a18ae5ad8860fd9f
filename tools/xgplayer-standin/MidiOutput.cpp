#include "MidiOutput.h"

#include <vlc/vlc.h>

struct MidiOutput::Handles {
    libvlc_instance_t *instance = nullptr;
    libvlc_media_player_t *player = nullptr;
    ~Handles()
    {
        if (player) {
            libvlc_media_player_stop(player);
            libvlc_media_player_release(player);
        }
        if (instance)
            libvlc_release(instance);
    }
};

MidiOutput::MidiOutput() : handles_(std::make_unique<Handles>()) {}

MidiOutput::~MidiOutput() = default;

bool MidiOutput::Play(const std::string &path)
{
    const char *args[] = {"--no-video", "--quiet", "--no-interact"};
    handles_->instance = libvlc_new(int(std::size(args)), args);
    if (!handles_->instance)
        return false;
    libvlc_media_t *media = libvlc_media_new_path(handles_->instance, path.c_str());
    if (!media)
        return false;
    handles_->player = libvlc_media_player_new_from_media(media);
    libvlc_media_release(media);
    return handles_->player && libvlc_media_player_play(handles_->player) == 0;
}
