// Existence checks of a playlist's lines in bulk. A list of 100 000 files
// mostly names a few hundred folders; reading such a folder once answers for
// all its files with a handful of system calls, where a stat per file walks
// the whole path each time. Folders named by only a few lines, and every
// case the listing cannot answer alone (links, file systems without entry
// types, folders that can be listed but not searched), still get a stat per
// file, so a path is a File exactly when IsFile says so.
//
// A missing file is Gone only when its folder can be seen; a folder that
// does not exist or cannot be searched makes its files Unavailable, so a
// list read before its drive is mounted keeps its entries.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "playlist/PlaylistFiles.h"
#include "playlist/PosixHandles.h"

namespace quaverly {

namespace {

// Paths in one folder from which the folder is read whole.
constexpr size_t kListFolderFrom = 16;
// A folder holding far more entries than the list names is not read to the
// end: the stat per file is then the cheaper way.
constexpr size_t kEntriesPerName = 16;
constexpr size_t kEntriesSpare = 256;

struct TNamed {
    std::string_view Name;  // after the folder's last "/"
    uint32_t Index;         // into the paths asked about
};

// stat() relative to `dirFd` (AT_FDCWD for whole paths), in a folder known
// to exist: a file (not a folder) with its identity, or Gone when nothing is
// there, or Unavailable when the system cannot tell.
TPathLook LookAt(int dirFd, std::string_view name, std::string &buffer)
{
    buffer.assign(name);
    struct stat st {};
    if (buffer.empty())
        return {TPathState::Gone, std::nullopt};
    if (::fstatat(dirFd, buffer.c_str(), &st, 0) != 0)
        return {errno == ENOENT || errno == ENOTDIR ? TPathState::Gone : TPathState::Unavailable, std::nullopt};
    if (S_ISDIR(st.st_mode))
        return {TPathState::Gone, std::nullopt};
    return {TPathState::File, TFileId{st.st_dev, st.st_ino}};
}

// Answers for the names of one folder from its listing. False when the
// listing cannot be used; then nothing has been answered.
bool AnswerFromListing(int dirFd, std::vector<TNamed> &names, std::vector<TPathLook> &looks, std::string &buffer)
{
    struct stat folder {};
    if (::fstat(dirFd, &folder) != 0)
        return false;
    if (::faccessat(dirFd, ".", X_OK, AT_EACCESS) != 0)
        return false;  // listed but not searchable: a stat of each file would fail
    const int listFd = ::dup(dirFd);
    if (listFd < 0)
        return false;
    std::unique_ptr<DIR, DirCloser> dir(::fdopendir(listFd));
    if (!dir) {
        ::close(listFd);
        return false;
    }
    std::sort(names.begin(), names.end(), [](const TNamed &a, const TNamed &b) { return a.Name < b.Name; });
    const size_t limit = names.size() * kEntriesPerName + kEntriesSpare;
    struct THit {
        const TNamed *Named;
        unsigned char Type;  // of the entry: DT_REG, DT_DIR, ...
    };
    std::vector<THit> hits;
    std::vector<ino_t> inodes;
    size_t entries = 0;
    while (const dirent *entry = ::readdir(dir.get())) {
        if (++entries > limit)
            return false;
        const std::string_view name(entry->d_name);
        auto range = std::equal_range(names.begin(), names.end(), TNamed{name, 0},
                                      [](const TNamed &a, const TNamed &b) { return a.Name < b.Name; });
        for (auto it = range.first; it != range.second; ++it) {
            hits.push_back({&*it, entry->d_type});
            inodes.push_back(entry->d_ino);
        }
    }
    // Names the listing does not hold are Gone (the default answer).
    for (size_t h = 0; h < hits.size(); ++h) {
        const THit &hit = hits[h];
        if (hit.Type == DT_DIR)
            continue;
        // A link is judged by its target, and a missing type by a stat. A
        // plain entry lies on the folder's device.
        if (hit.Type == DT_LNK || hit.Type == DT_UNKNOWN)
            looks[hit.Named->Index] = LookAt(dirFd, hit.Named->Name, buffer);
        else
            looks[hit.Named->Index] = {TPathState::File, TFileId{folder.st_dev, inodes[h]}};
    }
    return true;
}

}  // namespace

std::vector<TPathLook> TPosixPlaylistFiles::LookUp(const std::vector<std::string_view> &paths)
{
    std::vector<TPathLook> looks(paths.size());
    std::string buffer;

    // Paths grouped by folder (the text up to the last "/"). Lists name
    // their files folder by folder, so the last folder is tried first.
    std::unordered_map<std::string_view, uint32_t> groupOf;
    std::vector<std::string_view> folders;
    std::vector<std::vector<TNamed>> groups;
    uint32_t last = UINT32_MAX;
    for (uint32_t i = 0; i < paths.size(); ++i) {
        const std::string_view path = paths[i];
        const size_t slash = path.rfind('/');
        const std::string_view folder = slash == std::string_view::npos ? std::string_view() : path.substr(0, slash + 1);
        const std::string_view name = path.substr(folder.size());
        if (last == UINT32_MAX || folders[last] != folder) {
            const auto [it, added] = groupOf.try_emplace(folder, uint32_t(folders.size()));
            if (added) {
                folders.push_back(folder);
                groups.emplace_back();
            }
            last = it->second;
        }
        groups[last].push_back({name, i});
    }

    for (size_t g = 0; g < groups.size(); ++g) {
        std::vector<TNamed> &names = groups[g];
        buffer.assign(folders[g].empty() ? std::string_view(".") : folders[g]);
        // A folder that is missing or cannot be examined hides its files; a
        // "folder" that is a file holds none.
        struct stat folder {};
        const bool examined = ::stat(buffer.c_str(), &folder) == 0;
        if (!examined || !S_ISDIR(folder.st_mode)) {
            const bool hidden = !examined && errno != ENOTDIR;
            for (const TNamed &named : names)
                looks[named.Index].State = hidden ? TPathState::Unavailable : TPathState::Gone;
            continue;
        }
        if (names.size() >= kListFolderFrom) {
            FdCloser dir{::open(buffer.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
            if (dir.fd >= 0 && AnswerFromListing(dir.fd, names, looks, buffer))
                continue;
        }
        for (const TNamed &named : names)
            looks[named.Index] = LookAt(AT_FDCWD, paths[named.Index], buffer);
    }
    return looks;
}

}  // namespace quaverly
