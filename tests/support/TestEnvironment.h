#pragma once

namespace quaverly::test {

// Sets the defaults every test binary runs with, unless the caller's
// environment already chose: Qt offscreen, SDL's dummy audio driver, libVLC's
// dummy audio output (the media control's QUAVERLY_VLC_ARGS) and a
// private XDG_RUNTIME_DIR (0700) so that lock files and shared memory names of
// one test run never meet those of a user's session.
void SetTestEnvironmentDefaults();

}  // namespace quaverly::test
