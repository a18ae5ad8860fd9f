#include "app/PlaybackController.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <set>

#include "app/EngineRouting.h"
#include "app/PositionTimer.h"
#include "app/ShellFakes.h"
#include "core/IExternalPlayerPlayback.h"
#include "core/NullAudioEngine.h"
#include "core/NullMediaControl.h"
#include "ui/WindowLayout.h"

using namespace quaverly;
using namespace quaverly::test;

namespace {

struct ShownBox {
    std::string text, caption;
};

class ScriptedDialogs final : public IDialogs {
public:
    void MessageBox(const std::string &text, const std::string &caption) override { shown.push_back({text, caption}); }
    std::optional<std::vector<std::string>> OpenFiles(const std::string &, const std::string &) override
    {
        return std::nullopt;
    }
    std::vector<ShownBox> shown;
};

// The media control's picture, as the window layout reads it.
class MediaVideo final : public IVideoMetrics {
public:
    explicit MediaVideo(const IMediaControl &media) : media_(media) {}
    int PictureHeight() const override { return media_.PictureHeight(); }
    int DisplaySize() const override { return media_.DisplaySize(); }

private:
    const IMediaControl &media_;
};

// The controller and the position timer on the real window layout, with the
// null engines standing in for the audio library and the media control. The
// audio engine is available; every media-control row plays unless a test
// says otherwise.
class PlaybackControllerTest : public ::testing::Test {
protected:
    PlaybackControllerTest()
    {
        InitFormResource(form);
        form.VisBox.Visible = true;
        form.Form.Active = true;
        layout.ShowNormalView();
        media.knobs.startFails = false;
        audio = new TNullAudioEngine;
        engines.Audio.reset(audio);
        layout.RaiseWindow = [this] { ++raised; };
    }

    void AddRows(std::initializer_list<const char *> paths)
    {
        for (const char *path : paths)
            form.MList.Items.push_back(TListItem{std::string("title of ") + path, {path}});
    }
    void Select(int row)
    {
        form.MList.ClearSelection();
        form.MList.Items.Select(size_t(row));
    }
    // Runs what the controller put off to the next turn of the event loop.
    void DrainPosted()
    {
        while (!posted.empty()) {
            auto next = std::move(posted.front());
            posted.pop_front();
            next();
        }
    }
    // Timer1 ticks of 100 ms while it is on; the audio item moves along.
    void Ticks(int count)
    {
        for (int i = 0; i < count && form.State.Timer1Enabled; ++i) {
            if (audio->PlayerState() == psPlaying)
                audio->Advance(100);
            timer.Timer1Timer();
        }
    }
    const std::vector<std::string> &Row(int i) { return form.MList.Items[size_t(i)].SubItems; }

    CallLog log;
    TFormModel form;
    NullMediaControl media;
    TNullAudioEngine *audio = nullptr;
    TEngines engines{media};
    FixedScreen screen;
    MediaVideo video{media};
    TWindowLayout layout{form, screen, video};
    RecordingPlaylist playlist{log, form};
    ScriptedDialogs dialogs;
    ScriptedRandom random;
    RecordingPlatform platform{log};
    RecordingSettings settings{log};
    RecordingExternalPlayer external{log};
    TUnavailableExternalPlayerPlayback playback;
    RecordingSpectrum spectrum{log};
    std::deque<std::function<void()>> posted;
    int raised = 0;
    TPlaybackController controller{form, TControllerServices{engines, playlist, layout, dialogs, random, platform,
                                                             settings, external, playback, spectrum,
                                                             [this](std::function<void()> f) {
                                                                 posted.push_back(std::move(f));
                                                             }}};
    TPositionTimer timer{form, engines, controller, layout, playback};
};

TEST(EngineRoutingTest, TheTableOfExtensionsUrlsAndSubstrings)
{
    const std::string list = "*.wav;*.mp1;*.mp2;*.mp3;*.ogg;*.wma;";
    struct Case {
        const char *path;
        bool audio;
        int kind;
        bool url, wm;
    } cases[] = {
        {"/m/a.MP3", true, ekAudioEngine, false, false},
        {"/m/a.mp3", false, ekMediaControl, false, false},
        {"/m/song.wm", true, ekAudioEngine, false, true},        // ".WM" inside "*.wma;"
        {"/m/song.mp", true, ekAudioEngine, false, false},       // ".MP" inside "*.mp1;"
        {"/m/song.rmi", true, ekMediaControl, false, false},
        {"/m/clip.wmv", true, ekMediaControl, false, true},
        {"/m/a.mid", true, ekMidi, false, false},
        {"/m/a.KAR", false, ekMidi, false, false},
        {"/m/list.asx", true, ekAsx, false, false},
        {"http://h/list.asx", true, ekAsx, true, false},
        {"http://radio.example:8000/", true, ekAudioEngine, true, false},
        {"http://h/a.mid", true, ekMediaControl, true, false},   // a URL is never a MIDI row
        {"mms://h/live", true, ekOtherUrl, true, false},
        {"mms://h/live", false, ekMediaControl, true, false},
        {"http://h/x.mp3", true, ekAudioEngine, true, false},
        {"/m/My.Music/noext", true, ekMediaControl, false, false},
        {"/m/Live: Berlin.mp3", true, ekAudioEngine, false, false},
    };
    for (const Case &c : cases) {
        const TEngineChoice choice = ChooseEngine(c.path, c.audio, c.audio ? list : "");
        EXPECT_EQ(c.kind, choice.Kind) << c.path;
        EXPECT_EQ(c.url, choice.IsUrl) << c.path;
        EXPECT_EQ(c.wm, choice.IsWindowsMediaFile) << c.path;
    }
}

TEST_F(PlaybackControllerTest, ClassifyingAPathLeavesThePlayingRowsFlagsAlone)
{
    AddRows({"http://radio.example/live", "/m/b.mid"});
    Select(0);
    controller.PlayCurrentItem();
    audio->CompleteUrlOpen();
    ASSERT_TRUE(form.State.IsUrl);
    controller.UpdateMidiButtons();
    EXPECT_EQ(ekMidi, controller.ChooseEngine("/m/b.mid"));
    EXPECT_TRUE(form.State.IsUrl);
    EXPECT_EQ("i))title of http://radio.example/live", form.ApplicationTitle);
}

TEST_F(PlaybackControllerTest, RandomCyclesHoldEveryOtherRowOnceAndNeverRepeatARow)
{
    form.sbRandom.Visible = true;
    for (int count : {3, 5}) {
        form.MList.Items.clear();
        for (int i = 0; i < count; ++i)
            form.MList.Items.push_back(TListItem{"r", {"/m/" + std::to_string(i) + ".mp3"}});
        form.State.ShufflePos = 0;
        form.State.CurrentIndex = 0;
        SystemRandom seeded(1234u + unsigned(count));
        TPlaybackController shuffled{form, TControllerServices{engines, playlist, layout, dialogs, seeded, platform,
                                                               settings, external, playback, spectrum, nullptr}};
        for (int cycle = 0; cycle < 4; ++cycle) {
            const int startedFrom = form.State.CurrentIndex;
            std::set<int> seen;
            for (int n = 0; n < count - 1; ++n) {
                const int before = form.State.CurrentIndex;
                shuffled.ChooseNextIndex();
                const int next = form.State.NextIndex;
                EXPECT_NE(before, next) << "a row followed itself";
                EXPECT_NE(startedFrom, next);
                EXPECT_TRUE(seen.insert(next).second) << "row " << next << " twice in one cycle";
                form.State.CurrentIndex = next;
            }
            EXPECT_EQ(size_t(count - 1), seen.size());
        }
    }
    // One or two rows: sequential with wrap-around.
    for (int count : {1, 2}) {
        form.MList.Items.EditAll().resize(size_t(count));
        form.State.CurrentIndex = 0;
        std::vector<int> order;
        for (int n = 0; n < 4; ++n) {
            controller.ChooseNextIndex();
            order.push_back(form.State.NextIndex);
            form.State.CurrentIndex = form.State.NextIndex;
        }
        const std::vector<int> expected = count == 1 ? std::vector<int>{0, 0, 0, 0} : std::vector<int>{1, 0, 1, 0};
        EXPECT_EQ(expected, order);
    }
}

TEST_F(PlaybackControllerTest, MeasuredLengthsAreWrittenBackAndMarkTheListOnlyWhenTheyChanged)
{
    audio->LengthMs = 215400;
    AddRows({"/m/a.mp3", "/m/b.mp3", "/m/c.mid"});
    Select(0);
    controller.PlaySelected();
    EXPECT_EQ((std::vector<std::string>{"/m/a.mp3", "215", "3:35"}), Row(0));
    EXPECT_TRUE(form.State.PlaylistDirty);
    EXPECT_EQ(215, form.Gauge1.MaxValue);

    form.State.PlaylistDirty = false;
    controller.PlaySelected();    // measured again at the same length
    EXPECT_FALSE(form.State.PlaylistDirty);

    // An unknown length leaves the path and "0", and the title says so.
    form.MList.Items.Edit(2).SubItems = {"/m/c.mid", "61", "1:01"};
    media.knobs.length = 0;
    Select(2);
    controller.PlaySelected();
    EXPECT_EQ((std::vector<std::string>{"/m/c.mid", "0"}), Row(2));
    EXPECT_TRUE(form.State.PlaylistDirty);
    EXPECT_EQ("?time title of /m/c.mid", form.ApplicationTitle);
    form.State.PlaylistDirty = false;
    controller.sbStopClick();
    controller.PlaySelected();
    EXPECT_FALSE(form.State.PlaylistDirty);

    // A length that is not a finite number, or absurdly long, stays in range.
    media.knobs.length = 1e300;
    controller.PlaySelected();
    EXPECT_EQ(2147483, form.State.ItemLength);
}

TEST_F(PlaybackControllerTest, TitlesFollowTheViewTheUrlAndTheStop)
{
    AddRows({"/m/clip.avi", "/m/a.mp3"});
    media.knobs.length = 70;
    media.knobs.pictureWidth = 320;
    media.knobs.pictureHeight = 240;
    Select(0);
    controller.PlaySelected();
    EXPECT_TRUE(form.VideoView());
    EXPECT_EQ("title of /m/clip.avi 1:10", form.ApplicationTitle);

    Select(1);
    controller.PlaySelected();
    EXPECT_TRUE(form.VisPanel.Visible);
    EXPECT_EQ("title of /m/a.mp3", form.ApplicationTitle);

    form.State.ScheduleStopped = true;
    controller.sbStopClick();
    EXPECT_EQ("暂停@智能模式", form.ApplicationTitle);
    EXPECT_TRUE(form.Form.Minimized);
    EXPECT_TRUE(form.NormalView());
    controller.PlaySelected();
    controller.sbStopClick();
    EXPECT_EQ("Quaverly", form.ApplicationTitle);
}

TEST_F(PlaybackControllerTest, RowsEndByTimeAboutALengthAndASecondAfterTheStart)
{
    audio->LengthMs = 3000;
    AddRows({"/m/a.mp3", "/m/b.mp3"});
    Select(0);
    controller.PlaySelected();
    int ticks = 0;
    while (form.State.CurrentIndex == 0 && ticks < 100) {
        Ticks(1);
        ++ticks;
    }
    EXPECT_EQ(40, ticks);
    EXPECT_EQ(1, form.State.CurrentIndex);
    EXPECT_TRUE(form.Playing());
    EXPECT_EQ(0, form.Gauge1.Progress);
}

TEST_F(PlaybackControllerTest, EndByStateAndTheCasesThatDoNotEnd)
{
    AddRows({"/m/a.mp3", "/m/list.asx", "/m/b.mid", "/m/clip.avi"});
    media.knobs.length = 100;
    // The audio engine stops before the length: the next row.
    Select(0);
    controller.PlaySelected();
    Ticks(10);
    audio->Finish();
    Ticks(10);
    EXPECT_EQ(1, form.State.CurrentIndex);

    // A redirector list is not ended by the control's stopped state.
    media.StopInsideControl();
    Ticks(20);
    EXPECT_EQ(1, form.State.CurrentIndex);

    // A paused item keeps its progress and is not ended.
    Select(2);
    controller.PlaySelected();
    media.MoveTo(5);
    Ticks(10);
    media.PauseInsideControl();
    media.MoveTo(9);
    Ticks(30);
    EXPECT_EQ(2, form.State.CurrentIndex);
    EXPECT_EQ(5, form.Gauge1.Progress);

    // A video stopped with its own controls before its end: stopped state.
    media.knobs.pictureWidth = 320;
    media.knobs.pictureHeight = 240;
    Select(3);
    controller.PlaySelected();
    media.MoveTo(10);
    media.StopInsideControl();
    Ticks(1);
    EXPECT_FALSE(form.Playing());
    EXPECT_FALSE(form.State.Timer1Enabled);
    EXPECT_EQ(3, form.State.CurrentIndex);

    // A row of unknown length is never ended by time.
    media.knobs.pictureWidth = media.knobs.pictureHeight = 0;
    media.knobs.length = 0;
    Select(2);
    controller.PlaySelected();
    Ticks(100);
    EXPECT_EQ(2, form.State.CurrentIndex);
    EXPECT_TRUE(form.Playing());
}

TEST_F(PlaybackControllerTest, AClickOnTheProgressLineSeeksByItsShareOfTheLength)
{
    audio->LengthMs = 300000;
    AddRows({"/m/a.mp3", "/m/clip.wmv"});
    Select(0);
    controller.PlaySelected();
    ASSERT_TRUE(form.VisPanel.Visible);
    ASSERT_EQ(195, form.lbProgress.Width);

    timer.lbProgressMouseUp(TMouseButton::mbRight, {}, 97, 1);
    form.State.IgnoreNextMouseUp = true;
    timer.lbProgressMouseUp(TMouseButton::mbLeft, {}, 97, 1);   // the double click's release
    timer.lbProgressMouseUp(TMouseButton::mbLeft, {}, 195, 1);  // released beyond the line
    EXPECT_EQ(0u, audio->LastSeekMs);
    timer.lbProgressMouseUp(TMouseButton::mbLeft, {}, 97, 1);
    EXPECT_EQ(149000u, audio->LastSeekMs);
    EXPECT_EQ(149, form.Gauge1.Progress);
    EXPECT_EQ(149, form.Gauge2.Progress);

    // A media-control item whose seek is forbidden is left alone; one whose
    // restart fails is reported like a start that failed.
    media.knobs.length = 600;
    media.knobs.canSeek = false;
    Select(1);
    controller.PlaySelected();
    ASSERT_EQ(195, form.lbProgress.Width);
    timer.lbProgressMouseUp(TMouseButton::mbLeft, {}, 97, 1);
    EXPECT_EQ(1, std::count(media.startedNames.begin(), media.startedNames.end(), "/m/clip.wmv"));
    media.knobs.canSeek = true;
    media.knobs.failingNames.insert("/m/clip.wmv");
    timer.lbProgressMouseUp(TMouseButton::mbLeft, {}, 97, 1);
    EXPECT_FALSE(form.Playing());
    ASSERT_EQ(1u, dialogs.shown.size());
    EXPECT_EQ("格式不明或者路径有误,不能播放!", dialogs.shown[0].text);
}

TEST_F(PlaybackControllerTest, AUrlConnectsWithoutHoldingTheWindowAndCommandsWait)
{
    AddRows({"http://radio.example/live", "/m/a.mp3"});
    Select(0);
    controller.PlaySelected();
    EXPECT_TRUE(form.State.Connecting);
    EXPECT_EQ("正在连接", form.ApplicationTitle);
    EXPECT_TRUE(audio->OpenPending());

    controller.sbPlayClick();
    controller.sbNextClick();
    EXPECT_EQ(1, audio->Opens);    // neither started another row

    audio->CompleteUrlOpen();
    EXPECT_FALSE(form.State.Connecting);
    EXPECT_TRUE(form.Playing());
    EXPECT_TRUE(form.VisPanel.Visible);
    EXPECT_EQ("i))title of http://radio.example/live", form.ApplicationTitle);
}

TEST_F(PlaybackControllerTest, AStopWhileConnectingLeavesNothingPlayingAndShowsNoMessage)
{
    AddRows({"http://radio.example/live", "mms://radio.example/live"});
    Select(0);
    controller.PlaySelected();
    controller.sbStopClick();
    audio->CompleteUrlOpen();    // too late: the open was dropped
    EXPECT_FALSE(form.State.Connecting);
    EXPECT_FALSE(form.Playing());
    EXPECT_EQ(psClosed, audio->PlayerState());
    EXPECT_EQ("Quaverly", form.ApplicationTitle);

    // A media-control URL starts on the next turn, after the title shows.
    Select(1);
    controller.PlaySelected();
    EXPECT_TRUE(media.startedNames.empty());
    controller.sbStopClick();
    DrainPosted();
    EXPECT_TRUE(media.startedNames.empty());
    EXPECT_FALSE(form.State.Connecting);
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(PlaybackControllerTest, StartsThatFailGoToTheMediaControlThenToAMessage)
{
    AddRows({"/m/broken.mp3", "/m/a.mp3"});
    // Opens but never plays: handed to the media control like a failed open.
    audio->PlayReachesPlaying = false;
    media.knobs.failingNames.insert("/m/broken.mp3");
    form.State.Timer2Enabled = true;
    Select(0);
    controller.PlaySelected();
    EXPECT_EQ(std::vector<std::string>{"/m/broken.mp3"}, media.startedNames);
    ASSERT_EQ(1u, dialogs.shown.size());
    EXPECT_EQ("格式不明或者路径有误,不能播放!", dialogs.shown[0].text);
    EXPECT_EQ("title of /m/broken.mp3", dialogs.shown[0].caption);
    EXPECT_EQ(1, raised);
    EXPECT_FALSE(form.Playing());
    EXPECT_FALSE(form.State.Timer1Enabled);
    EXPECT_TRUE(form.State.Timer2Enabled);
    EXPECT_EQ(0, form.State.CurrentIndex);    // playback does not move on

    // In start mode 2 the failure closes the window.
    form.State.StartMode = 2;
    controller.PlaySelected();
    EXPECT_TRUE(form.Form.CloseRequested);
}

TEST_F(PlaybackControllerTest, AListWhoseRowsAllEndAtOnceStopsAfterOneRound)
{
    AddRows({"/m/a.mp3", "/m/b.mp3", "/m/c.mp3"});
    Select(0);
    controller.PlaySelected();
    int starts = 1;
    for (int second = 0; second < 20 && form.Playing(); ++second) {
        audio->Finish();    // decodes nothing: ends on its first second
        const int before = audio->Opens;
        for (int t = 0; t < 10; ++t)
            timer.Timer1Timer();
        starts += audio->Opens - before;
    }
    EXPECT_FALSE(form.Playing());
    EXPECT_EQ(3, starts);
}

TEST_F(PlaybackControllerTest, NoRealRowGivesTheCreditViewAndAStrayNextIndexMeansTheFirstRow)
{
    controller.PlayCurrentItem();
    EXPECT_EQ("ShowCredit", log.back());

    AddRows({"/m/a.mp3", "/m/b.mp3"});
    form.State.NextIndex = 7;
    controller.PlayCurrentItem();
    EXPECT_EQ(0, form.State.CurrentIndex);
    EXPECT_TRUE(form.Playing());
}

TEST_F(PlaybackControllerTest, NextPlaysTheRowTheUserSelectedElseTheFollowingOne)
{
    AddRows({"/m/a.mp3", "/m/b.mp3", "/m/c.mp3"});
    Select(0);
    controller.PlaySelected();
    Select(2);
    controller.sbNextClick();
    EXPECT_EQ(2, form.State.CurrentIndex);
    controller.sbNextClick();
    EXPECT_EQ(0, form.State.CurrentIndex);

    // In start mode 2 the end of the row closes the window instead.
    form.State.StartMode = 2;
    audio->Finish();
    Ticks(10);
    EXPECT_TRUE(form.Form.CloseRequested);
}

}  // namespace
