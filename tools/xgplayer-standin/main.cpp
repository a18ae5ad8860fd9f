// xgplayer-standin [--silent] [--synth-message] <MIDI file>
//
// Stands in for the external MIDI player: opens a window titled
// "XGPlayer - <file name>", plays the file through libVLC (not with
// --silent), closes on the window manager's close request and then saves its
// settings under "Software\YAMAHA\XGPlayer". With --synth-message it also
// shows the synthesizer's message window from its start until it is closed,
// as the synthesizer's message box does when it cannot start. Quaverly
// hands the player nothing but the file, so the tests that run the stand-in
// in its place set XGPLAYER_STANDIN_OPTIONS (e.g. "--silent --synth-message").
#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "MidiOutput.h"
#include "StandInWindow.h"

int main(int argc, char **argv)
{
    bool silent = false, synthMessage = false;
    std::string path;
    const char *options = std::getenv("XGPLAYER_STANDIN_OPTIONS");
    if (options && std::strstr(options, "--silent"))
        silent = true;
    if (options && std::strstr(options, "--synth-message"))
        synthMessage = true;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--silent") == 0)
            silent = true;
        else if (std::strcmp(argv[i], "--synth-message") == 0)
            synthMessage = true;
        else
            path = argv[i];  // the file name as given, whatever it holds
    }
    if (path.empty()) {
        std::fprintf(stderr, "usage: %s [--silent] [--synth-message] <MIDI file>\n", argv[0]);
        return 2;
    }
    QApplication app(argc, argv);
    StandInWindow window(path);
    window.show();
    if (synthMessage)
        ShowSynthMessage();
    MidiOutput output;
    if (!silent && !output.Play(path))
        std::fprintf(stderr, "xgplayer-standin: cannot play %s\n", path.c_str());
    return app.exec();
}
