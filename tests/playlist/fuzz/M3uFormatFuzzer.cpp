// The M3U reader on any bytes, and the round trip: what the writer makes of
// the rows reads back to the same rows, durations and flags.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "playlist/M3uFormat.h"
#include "core/PathText.h"

using namespace quaverly;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char *>(data), size);
    // Lines ending in ".x" stand for existing files, those ending in ".u"
    // for files of a folder that cannot be seen; a file's identity is its
    // length and middle byte, so different texts often name one file.
    const TPathLookOne exists = [](const std::string &p) {
        const auto endsIn = [&p](const char *tail) { return p.size() >= 2 && p.compare(p.size() - 2, 2, tail) == 0; };
        if (endsIn(".u"))
            return TPathLook{TPathState::Unavailable, std::nullopt};
        if (!endsIn(".x"))
            return TPathLook{};
        return TPathLook{TPathState::File, TFileId{dev_t(p.size()), ino_t(uint8_t(p[p.size() / 2]))}};
    };
    const TM3uContent first = ParseM3u(bytes, exists);
    if (first.Rows.empty())
        return 0;
    const std::string written = EncodeM3u(first.Rows, M3uHeader(first.Random, first.VisMidi));
    const TM3uContent second = ParseM3u(written, exists);
    if (second.Random != first.Random || second.VisMidi != first.VisMidi || second.Rows.size() != first.Rows.size() ||
        second.Unavailable != first.Unavailable || first.Unavailable > int(first.Rows.size()))
        std::abort();
    for (size_t i = 0; i < first.Rows.size(); ++i) {
        const TListItem &a = first.Rows[i], &b = second.Rows[i];
        if (a.SubItems != b.SubItems)
            std::abort();
        // Titles are read trimmed; a title made from a file name that starts
        // or ends with blanks or control bytes comes back without them.
        if (a.SubItems.size() >= 2 && TrimControl(a.Caption) != TrimControl(b.Caption))
            std::abort();
    }
    // The header rewrite of the written file reads back the same rows too.
    const TM3uContent third = ParseM3u(ReplaceM3uHeader(written, M3uHeader(!first.Random, false)), exists);
    if (third.Rows.size() != first.Rows.size() || third.Random == first.Random)
        std::abort();
    return 0;
}
