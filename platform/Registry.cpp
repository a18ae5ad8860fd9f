#include "platform/Registry.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace quaverly {

namespace {

bool MakeFolders(const std::string &path)
{
    std::size_t pos = 0;
    while (pos != std::string::npos) {
        pos = path.find('/', pos + 1);
        std::string partial = path.substr(0, pos);
        if (!partial.empty() && mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// nullopt = exists but cannot be read; "" with exists=false = no file.
std::optional<std::string> ReadWholeFile(const std::string &path, bool &exists)
{
    exists = false;
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        exists = errno != ENOENT;
        return exists ? std::nullopt : std::optional<std::string>(std::string {});
    }
    exists = true;
    std::string text;
    char buffer[65536];
    for (;;) {
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            close(fd);
            return std::nullopt;  // EISDIR, EIO ...
        }
        text.append(buffer, std::size_t(n));
    }
    close(fd);
    return text;
}

bool WriteAtomically(const std::string &folder, const std::string &path, const std::string &text)
{
    std::string temp = path + ".tmpXXXXXX";
    int fd = mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    std::size_t done = 0;
    while (done < text.size()) {
        ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            close(fd);
            unlink(temp.c_str());
            return false;
        }
        done += std::size_t(n);
    }
    fchmod(fd, 0600);
    if (fsync(fd) != 0 || close(fd) != 0 || rename(temp.c_str(), path.c_str()) != 0) {
        unlink(temp.c_str());
        return false;
    }
    int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        fsync(dir);  // makes the rename itself durable
        close(dir);
    }
    return true;
}

// An exclusive flock on a lock file beside the root file. The root file
// itself cannot carry the lock: every write replaces it by a new inode.
// Waits at most about three seconds for another process to finish.
class RootLock {
public:
    explicit RootLock(const std::string &path)
    {
        fd_ = open(path.c_str(), O_CREAT | O_RDWR | O_CLOEXEC, 0600);
        if (fd_ < 0)
            return;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
        while (flock(fd_, LOCK_EX | LOCK_NB) != 0) {
            if ((errno != EWOULDBLOCK && errno != EINTR) || std::chrono::steady_clock::now() >= deadline) {
                close(fd_);
                fd_ = -1;
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }
    ~RootLock()
    {
        if (fd_ >= 0)
            close(fd_);  // releases the flock
    }
    RootLock(const RootLock &) = delete;
    RootLock &operator=(const RootLock &) = delete;
    [[nodiscard]] bool held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

std::vector<std::string> SplitKey(const std::string &key)
{
    std::vector<std::string> parts;
    std::size_t pos = 0;
    while (pos <= key.size()) {
        std::size_t cut = key.find('\\', pos);
        if (cut == std::string::npos)
            cut = key.size();
        if (cut > pos)
            parts.push_back(key.substr(pos, cut - pos));  // leading, trailing and double "\" are ignored
        pos = cut + 1;
    }
    return parts;
}

RegistryKey *Find(RegistryKey &root, const std::vector<std::string> &parts)
{
    RegistryKey *k = &root;
    for (const std::string &part : parts) {
        auto it = k->keys.find(LowerAscii(part));
        if (it == k->keys.end())
            return nullptr;
        k = &it->second;
    }
    return k;
}

RegistryKey &FindOrCreate(RegistryKey &root, const std::vector<std::string> &parts)
{
    RegistryKey *k = &root;
    for (const std::string &part : parts) {
        RegistryKey &child = k->keys[LowerAscii(part)];
        if (child.name.empty())
            child.name = part;
        k = &child;
    }
    return *k;
}

// Removes the key named by parts; its tree is handed back, nullopt when absent.
std::optional<RegistryKey> Detach(RegistryKey &root, std::vector<std::string> parts)
{
    if (parts.empty())
        return std::nullopt;  // a whole root is never deleted
    std::string last = LowerAscii(parts.back());
    parts.pop_back();
    RegistryKey *parent = Find(root, parts);
    if (!parent)
        return std::nullopt;
    auto it = parent->keys.find(last);
    if (it == parent->keys.end())
        return std::nullopt;
    RegistryKey tree = std::move(it->second);
    parent->keys.erase(it);
    return tree;
}

// True when inner equals outer or lies below it, part by part.
bool Within(const std::vector<std::string> &inner, const std::vector<std::string> &outer)
{
    if (inner.size() < outer.size())
        return false;
    for (std::size_t i = 0; i < outer.size(); ++i)
        if (LowerAscii(inner[i]) != LowerAscii(outer[i]))
            return false;
    return true;
}

void Merge(RegistryKey &target, const RegistryKey &source)
{
    for (const auto &[lower, value] : source.values)
        target.values[lower] = value;
    for (const auto &[lower, child] : source.keys) {
        RegistryKey &t = target.keys[lower];
        if (t.name.empty())
            t.name = child.name;
        Merge(t, child);
    }
}

}  // namespace

std::string Registry::DefaultFolder()
{
    const char *dir = std::getenv("QUAVERLY_REGISTRY_DIR");
    if (dir && *dir)
        return dir;
    const char *config = std::getenv("XDG_CONFIG_HOME");
    if (config && *config)
        return std::string(config) + "/quaverly/registry";
    const char *home = std::getenv("HOME");
    return std::string(home && *home ? home : "/tmp") + "/.config/quaverly/registry";
}

Registry::Registry(std::string folder) : folder_(folder.empty() ? DefaultFolder() : std::move(folder)) {}

const char *Registry::RootName(RegistryRoot root)
{
    switch (root) {
    case RegistryRoot::HKEY_CURRENT_USER: return "HKEY_CURRENT_USER";
    case RegistryRoot::HKEY_LOCAL_MACHINE: return "HKEY_LOCAL_MACHINE";
    case RegistryRoot::HKEY_CLASSES_ROOT: return "HKEY_CLASSES_ROOT";
    }
    return "HKEY_CURRENT_USER";
}

std::string Registry::FilePath(RegistryRoot root) const
{
    return folder_ + "/" + RootName(root) + ".reg";
}

std::optional<RegistryKey> Registry::Load(RegistryRoot root) const
{
    bool exists = false;
    std::optional<std::string> text = ReadWholeFile(FilePath(root), exists);
    if (!text)
        return std::nullopt;
    std::optional<RegistryKey> parsed = exists ? ParseRegistryFile(*text, RootName(root)) : RegistryKey {};
    if (parsed)
        parsed->name = RootName(root);
    return parsed;
}

bool Registry::Update(RegistryRoot root, const std::function<bool(RegistryKey &)> &change)
{
    if (!MakeFolders(folder_))
        return false;
    RootLock lock(FilePath(root) + ".lock");
    if (!lock.held())
        return false;
    std::optional<RegistryKey> tree = Load(root);
    if (!tree || !change(*tree))
        return false;
    return WriteAtomically(folder_, FilePath(root), FormatRegistryFile(*tree, RootName(root)));
}

bool Registry::KeyExists(RegistryRoot root, const std::string &key)
{
    std::optional<RegistryKey> tree = Load(root);
    return tree && Find(*tree, SplitKey(key)) != nullptr;
}

bool Registry::CreateKey(RegistryRoot root, const std::string &key)
{
    if (KeyExists(root, key))
        return true;
    return Update(root, [&](RegistryKey &tree) {
        FindOrCreate(tree, SplitKey(key));
        return true;
    });
}

std::optional<std::string> Registry::ReadString(RegistryRoot root, const std::string &key, const std::string &name)
{
    std::optional<RegistryKey> tree = Load(root);
    RegistryKey *k = tree ? Find(*tree, SplitKey(key)) : nullptr;
    if (!k)
        return std::nullopt;
    auto it = k->values.find(LowerAscii(name));
    if (it == k->values.end() || !it->second.isString)
        return std::nullopt;
    return it->second.data;
}

bool Registry::ValueExists(RegistryRoot root, const std::string &key, const std::string &name)
{
    std::optional<RegistryKey> tree = Load(root);
    RegistryKey *k = tree ? Find(*tree, SplitKey(key)) : nullptr;
    return k && k->values.count(LowerAscii(name)) != 0;
}

bool Registry::WriteString(RegistryRoot root, const std::string &key, const std::string &name,
                           const std::string &value)
{
    return Update(root, [&](RegistryKey &tree) {
        auto &slot = FindOrCreate(tree, SplitKey(key)).values[LowerAscii(name)];
        if (slot.name.empty())
            slot.name = name;
        slot.data = value;
        slot.isString = true;
        return true;
    });
}

bool Registry::CopyKey(RegistryRoot sourceRoot, const std::string &source, RegistryRoot targetRoot,
                       const std::string &target)
{
    const std::vector<std::string> from = SplitKey(source), to = SplitKey(target);
    if (sourceRoot == targetRoot && Within(to, from))
        return to.size() == from.size() && KeyExists(sourceRoot, source);  // onto itself: nothing to do
    if (sourceRoot == targetRoot) {
        return Update(targetRoot, [&](RegistryKey &tree) {
            RegistryKey *k = Find(tree, from);
            if (!k)
                return false;
            RegistryKey copy = *k;  // before FindOrCreate may change the tree
            Merge(FindOrCreate(tree, to), copy);
            return true;
        });
    }
    std::optional<RegistryKey> sourceTree = Load(sourceRoot);
    RegistryKey *k = sourceTree ? Find(*sourceTree, from) : nullptr;
    if (!k)
        return false;
    return Update(targetRoot, [&](RegistryKey &tree) {
        Merge(FindOrCreate(tree, to), *k);
        return true;
    });
}

bool Registry::DeleteKey(RegistryRoot root, const std::string &key)
{
    if (!KeyExists(root, key))
        return false;
    return Update(root, [&](RegistryKey &tree) { return Detach(tree, SplitKey(key)).has_value(); });
}

bool Registry::MoveKey(RegistryRoot root, const std::string &source, const std::string &target, MoveMode mode)
{
    const std::vector<std::string> from = SplitKey(source), to = SplitKey(target);
    if (from.empty() || to.empty() || Within(to, from) || Within(from, to))
        return false;
    return Update(root, [&](RegistryKey &tree) {
        if (!Find(tree, from))
            return false;
        if (Find(tree, to)) {
            if (mode == MoveMode::KeepTarget)
                return false;
            Detach(tree, to);
        }
        std::optional<RegistryKey> moved = Detach(tree, from);
        RegistryKey &slot = FindOrCreate(tree, to);
        std::string name = slot.name;  // the target's own spelling
        slot = std::move(*moved);
        slot.name = name;
        return true;
    });
}

}  // namespace quaverly
