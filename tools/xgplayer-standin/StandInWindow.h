#pragma once

#include <QWidget>
#include <string>

class QLabel;

// The stand-in player's main window: titled "XGPlayer - <file name>", it
// saves the player's settings under its registry key when it closes, as a
// player that remembers its state does.
class StandInWindow : public QWidget {
public:
    explicit StandInWindow(const std::string &midiPath);

    static constexpr const char *kSettingsKey = "Software\\YAMAHA\\XGPlayer";
    static constexpr const char *kTitlePrefix = "XGPlayer - ";

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    std::string midiPath_;
};

// The synthesizer's message window, shown by the real player when its
// synthesizer cannot start; here on request, from the start until it is
// closed.
QWidget *ShowSynthMessage();
