#pragma once

#include <sys/types.h>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace quaverly {

// Where a file lives: its device and inode. Two paths with the same identity
// name one file, whatever their texts (links, "./", doubled "/").
struct TFileId {
    dev_t Device = 0;
    ino_t Inode = 0;
    bool operator==(const TFileId &) const = default;
};

struct TFileIdHash {
    std::size_t operator()(const TFileId &id) const noexcept
    {
        return std::hash<unsigned long long>()((static_cast<unsigned long long>(id.Device) << 40) ^
                                               static_cast<unsigned long long>(id.Inode));
    }
};

// The identity of what `path` names (links followed); none when nothing is
// there or it cannot be examined.
std::optional<TFileId> FileIdOf(const std::string &path);

// Two local paths name the same file when their texts are byte-equal, or
// when both exist and have the same identity. Letter case is never folded:
// "/m/Song.mp3" and "/m/song.mp3" are two files on this system. URLs (texts
// holding "://") are the same when SamePathText says so.
bool SameFile(std::string_view a, std::string_view b);

// The texts alone: byte-equal, or two URLs whose schemes are equal ignoring
// ASCII case and whose rest is byte-equal ("HTTP://h/a" is "http://h/a").
bool SamePathText(std::string_view a, std::string_view b);
// The text that SamePathText compares: a URL's scheme upper-cased, any
// other text unchanged. Texts the same by SamePathText have equal keys.
std::string PathKey(std::string_view path);

// SameFile for folders, trailing separators aside ("/opt/q/" is "/opt/q").
bool SameFolder(std::string_view a, std::string_view b);

}  // namespace quaverly
