#include "platform/Registry.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace quaverly {

namespace {

bool MakeFolders(const std::string &path)
{
    std::string partial;
    std::size_t pos = 0;
    while (pos != std::string::npos) {
        pos = path.find('/', pos + 1);
        partial = path.substr(0, pos);
        if (partial.empty())
            continue;
        if (mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST)
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
    if (!MakeFolders(folder))
        return false;
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

Registry::~Registry() = default;

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

std::string Registry::MovedAsidePath(RegistryRoot root) const
{
    auto it = movedAside_.find(int(root));
    return it == movedAside_.end() ? std::string {} : it->second;
}

RegistryKey &Registry::Root(RegistryRoot root)
{
    auto it = roots_.find(int(root));
    if (it != roots_.end())
        return it->second;
    const std::string path = FilePath(root);
    bool exists = false;
    std::optional<std::string> text = ReadWholeFile(path, exists);
    std::optional<RegistryKey> parsed;
    if (text && !exists)
        parsed = RegistryKey {};
    else if (text)
        parsed = ParseRegistryFile(*text, RootName(root));
    if (!parsed) {
        // Keep the bad file for a human to look at; start this root empty.
        std::string aside = path + ".corrupt-" + std::to_string(long(std::time(nullptr)));
        for (int n = 1; access(aside.c_str(), F_OK) == 0; ++n)
            aside = path + ".corrupt-" + std::to_string(long(std::time(nullptr))) + "-" + std::to_string(n);
        if (rename(path.c_str(), aside.c_str()) == 0)
            movedAside_[int(root)] = aside;
        else
            readOnly_.insert(int(root));
        parsed = RegistryKey {};
    }
    parsed->name = RootName(root);
    return roots_.emplace(int(root), std::move(*parsed)).first->second;
}

RegistryKey *Registry::Find(RegistryRoot root, const std::string &key)
{
    RegistryKey *k = &Root(root);
    for (const std::string &part : SplitKey(key)) {
        auto it = k->keys.find(LowerAscii(part));
        if (it == k->keys.end())
            return nullptr;
        k = &it->second;
    }
    return k;
}

RegistryKey *Registry::FindOrCreate(RegistryRoot root, const std::string &key)
{
    RegistryKey *k = &Root(root);
    for (const std::string &part : SplitKey(key)) {
        RegistryKey &child = k->keys[LowerAscii(part)];
        if (child.name.empty())
            child.name = part;
        k = &child;
    }
    return k;
}

bool Registry::Save(RegistryRoot root)
{
    if (readOnly_.count(int(root)))
        return false;
    return WriteAtomically(folder_, FilePath(root), FormatRegistryFile(Root(root), RootName(root)));
}

bool Registry::KeyExists(RegistryRoot root, const std::string &key)
{
    return Find(root, key) != nullptr;
}

bool Registry::CreateKey(RegistryRoot root, const std::string &key)
{
    if (Find(root, key))
        return true;
    FindOrCreate(root, key);
    return Save(root);
}

std::optional<std::string> Registry::ReadString(RegistryRoot root, const std::string &key, const std::string &name)
{
    RegistryKey *k = Find(root, key);
    if (!k)
        return std::nullopt;
    auto it = k->values.find(LowerAscii(name));
    if (it == k->values.end() || !it->second.isString)
        return std::nullopt;
    return it->second.data;
}

bool Registry::ValueExists(RegistryRoot root, const std::string &key, const std::string &name)
{
    RegistryKey *k = Find(root, key);
    return k && k->values.count(LowerAscii(name)) != 0;
}

bool Registry::WriteString(RegistryRoot root, const std::string &key, const std::string &name,
                           const std::string &value)
{
    RegistryKey *k = FindOrCreate(root, key);
    auto &slot = k->values[LowerAscii(name)];
    if (slot.name.empty())
        slot.name = name;
    slot.data = value;
    slot.isString = true;
    return Save(root);
}

bool Registry::CopyKey(RegistryRoot sourceRoot, const std::string &source, RegistryRoot targetRoot,
                       const std::string &target)
{
    RegistryKey *from = Find(sourceRoot, source);
    if (!from)
        return false;
    if (sourceRoot == targetRoot) {
        // Copying a key into its own subtree would never end.
        std::vector<std::string> s = SplitKey(source), t = SplitKey(target);
        bool inside = t.size() >= s.size();
        for (std::size_t i = 0; inside && i < s.size(); ++i)
            inside = LowerAscii(s[i]) == LowerAscii(t[i]);
        if (inside)
            return t.size() == s.size();  // onto itself: nothing to do
    }
    RegistryKey copy = *from;  // before FindOrCreate may rehash the tree
    Merge(*FindOrCreate(targetRoot, target), copy);
    return Save(targetRoot);
}

bool Registry::DeleteKey(RegistryRoot root, const std::string &key)
{
    std::vector<std::string> parts = SplitKey(key);
    if (parts.empty())
        return false;  // a whole root is never deleted
    std::string last = parts.back();
    parts.pop_back();
    RegistryKey *parent = &Root(root);
    for (const std::string &part : parts) {
        auto it = parent->keys.find(LowerAscii(part));
        if (it == parent->keys.end())
            return false;
        parent = &it->second;
    }
    if (parent->keys.erase(LowerAscii(last)) == 0)
        return false;
    return Save(root);
}

}  // namespace quaverly
