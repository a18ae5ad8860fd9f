#include "app/FormEventRouter.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/ShellFakes.h"
#include "core/NullMediaControl.h"
#include "platform/Registry.h"
#include "platform/TempFolder.h"

using namespace quaverly;
using namespace quaverly::test;
using ::testing::ElementsAre;

namespace {

TEST(FormEventRouterTest, ControlEventsReachTheirHandlersAndLifeCycleReachesTheForm)
{
    TempFolder folder;
    CallLog log;
    TFormModel form;
    form.sbNext3.Visible = false;
    form.VisBox.Visible = false;
    RecordingSettings settings{log};
    RecordingController controller{log};
    RecordingExternalPlayer external{log};
    RecordingPlaylist playlist{log, form};
    RecordingSpectrum spectrum{log};
    RecordingAudioPlayerFactory audio{log};
    NullMediaControl media;
    TEngines engines{media};
    FixedScreen screen;
    FixedClock clock;
    ScriptedRandom random;
    Registry registry{folder.path()};
    RecordingPlatform platform{log};
    TShellServices services{settings, controller, external, playlist, spectrum, audio, engines,
                            screen,   clock,      random,   registry, platform};
    TMainForm mainForm(form, services, TStartup{folder / "quaverly", folder.path() + "/", {}});
    TFormEventRouter router(mainForm);

    router.OnClick(TControlId::sbPower, [&] { log.push_back("power"); });
    router.OnDblClick(TControlId::MList, [&] { log.push_back("dblclick"); });
    router.OnMouseDown(TControlId::Panel1, [&](TMouseButton b, TShiftState s, int x, int y) {
        log.push_back("down " + std::to_string(int(b)) + " " + std::to_string(s) + " " + std::to_string(x) + "," +
                      std::to_string(y));
    });
    router.OnMouseUp(TControlId::MList, [&](TMouseButton b, TShiftState, int, int) {
        log.push_back(b == TMouseButton::mbRight ? "right up" : "up");
    });
    router.OnMouseMove(TControlId::lbProgress, [&](TShiftState s, int x, int y) {
        log.push_back("move " + std::to_string(s) + " " + std::to_string(x) + "," + std::to_string(y));
    });
    router.OnKeyDown(TControlId::MList, [&](int &key, TShiftState) {
        log.push_back("key " + std::to_string(key));
        key = 0;
    });

    router.Click(TControlId::sbPower);
    router.Click(TControlId::sbMin);           // nothing bound: ignored
    router.DblClick(TControlId::MList);
    router.MouseDown(TControlId::Panel1, TMouseButton::mbLeft, ssLeft, 3, 4);
    router.MouseDown(TControlId::BtnPanel, TMouseButton::mbLeft, ssLeft, 3, 4);
    router.MouseUp(TControlId::MList, TMouseButton::mbRight, 0, 0, 0);
    router.MouseMove(TControlId::lbProgress, ssLeft, 5, 6);
    router.MouseMove(TControlId::lbTitle, ssLeft, 5, 6);   // nothing bound
    int key = VK_DELETE;
    router.KeyDown(TControlId::MList, key, 0);
    EXPECT_EQ(0, key);
    int other = VK_DELETE;
    router.KeyDown(TControlId::sbPlay, other, 0);
    EXPECT_EQ(VK_DELETE, other);

    router.FormShow();
    router.SettingChange(42);   // before FormCreate: no handler installed yet
    EXPECT_TRUE(router.FormCloseQuery());
    EXPECT_TRUE(router.FormClose());
    EXPECT_THAT(log, ElementsAre("power", "dblclick", "down 0 8 3,4", "right up", "move 8 5,6", "key 46", "PickRandomPlaylist",
                                 "ShowCredit", "StopPlayback", "RestoreExternalPlayerSettings",
                                 "SavePlaylistIfChanged"));
}

}  // namespace
