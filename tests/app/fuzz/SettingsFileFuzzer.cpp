// The settings file on any bytes, read the way the player reads it: the head
// comes out the same whatever chunks the file arrives in, loading never
// fails, and a file the load repaired needs no second repair.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

#include "app/Schedule.h"
#include "app/ScheduleFakes.h"
#include "app/SettingsFile.h"
#include "app/SettingsLines.h"
#include "ui/LayoutFakes.h"
#include "ui/LayoutWindowPlacement.h"

using namespace quaverly;
using namespace quaverly::test;

namespace {

std::string Slurp(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string Load(const std::string &path)
{
    TFormModel form;
    InitFormResource(form);
    FakeScreen screen;
    FakeVideo video;
    TWindowLayout layout(form, screen, video);
    TLayoutWindowPlacement placement(form, layout, screen);
    FakeClock clock;
    ScriptedRandom random;
    FakeScheduleActions actions(form);
    TSchedule schedule(form, clock, random, actions);
    TSettingsFile settings(path, form, schedule, placement);
    settings.LoadSettings();
    return Slurp(path);
}

bool SameHead(const TSettingsHead &a, const TSettingsHead &b)
{
    return a.Lines == b.Lines && a.TailOffset == b.TailOffset && a.HasTail == b.HasTail;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const std::size_t chunk = 1 + data[0] % 7;
    const std::string bytes(reinterpret_cast<const char *>(data) + 1, size - 1);

    TSettingsHeadReader whole, pieces;
    whole.Feed(bytes);
    for (std::size_t at = 0; at < bytes.size(); at += chunk)
        if (!pieces.Feed(std::string_view(bytes).substr(at, chunk)))
            break;
    const TSettingsHead a = whole.Finish(), b = pieces.Finish();
    if (!SameHead(a, b) || a.Lines.size() > kMaxSettingsLines || a.TailOffset > std::int64_t(bytes.size()))
        std::abort();

    static const std::string path = "/tmp/quaverly-fuzz-settings-" + std::to_string(::getpid()) + ".ini";
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    const std::string repaired = Load(path);
    if (Load(path) != repaired)
        std::abort();
    return 0;
}
