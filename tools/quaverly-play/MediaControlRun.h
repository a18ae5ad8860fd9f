#pragma once

namespace quaverly::tools {

// quaverly-play --media-control [--max-seconds S] FILE|URL...: the same run
// through the media control instead of the audio player. argv[0] is
// "--media-control".
int RunMediaControl(int argc, char **argv);

} // namespace quaverly::tools
