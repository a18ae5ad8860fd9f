#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "playlist/PathLook.h"

namespace quaverly {

// The file operations of the playlist, behind one small interface so that
// tests can make a write or a delete fail (the tests run with rights that
// file modes do not stop).
class IPlaylistFiles {
public:
    virtual ~IPlaylistFiles() = default;
    // The whole file; nothing when it cannot be read (missing, a folder,
    // access denied).
    virtual std::optional<std::string> ReadAll(const std::string &path) = 0;
    // Writes a temporary file in the same folder and renames it over `path`,
    // so that a failure at any point leaves the old file whole.
    [[nodiscard]] virtual bool WriteAtomic(const std::string &path, const std::string &bytes) = 0;
    // A file (not a folder) exists at `path`.
    virtual bool IsFile(const std::string &path) = 0;
    // What the file system says about each of many paths (a playlist's
    // lines), in one call so that a long list can be checked folder by folder.
    virtual std::vector<TPathLook> LookUp(const std::vector<std::string_view> &paths) = 0;
    // Anything exists at `path`.
    virtual bool Exists(const std::string &path) = 0;
    virtual bool Remove(const std::string &path) = 0;
    // Names of the files in `folder` ending in ".m3u" (any ASCII case) that
    // are neither folders nor hidden (a leading ".").
    virtual std::vector<std::string> ListPlaylists(const std::string &folder) = 0;
};

// The real file system (POSIX).
class TPosixPlaylistFiles : public IPlaylistFiles {
public:
    std::optional<std::string> ReadAll(const std::string &path) override;
    [[nodiscard]] bool WriteAtomic(const std::string &path, const std::string &bytes) override;
    bool IsFile(const std::string &path) override;
    // Folders named by many paths are read once instead of asking about each
    // file; a path is a File exactly when IsFile says so.
    std::vector<TPathLook> LookUp(const std::vector<std::string_view> &paths) override;
    bool Exists(const std::string &path) override;
    bool Remove(const std::string &path) override;
    std::vector<std::string> ListPlaylists(const std::string &folder) override;
};

}  // namespace quaverly
