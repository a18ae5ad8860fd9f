#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>

#include "platform/RegistryFile.h"

namespace quaverly {

// A file-backed stand-in for the registry: the same roots, keys and string
// values. Each root is one REGEDIT4 text file (HKEY_CURRENT_USER.reg ...) in
// DefaultFolder(). Key paths use "\" between parts and are compared without
// regard to ASCII case; value names too. The default value has the name "".
//
// Files are read when a root is first used and written back atomically
// (temporary file in the same folder, fsync, rename) after every change, so a
// crash leaves the old or the new file, never half of one. A file that cannot
// be parsed or read is renamed to "<name>.corrupt-<time>" and the root starts
// empty: its contents are never silently overwritten. When even the rename
// fails, the root works in memory only and writes report false.
// Not thread-safe: the program uses it from the UI thread only.
enum class RegistryRoot { HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_CLASSES_ROOT };

class Registry {
public:
    // $QUAVERLY_REGISTRY_DIR, else $XDG_CONFIG_HOME/quaverly/registry, else
    // $HOME/.config/quaverly/registry.
    static std::string DefaultFolder();

    // folder empty = DefaultFolder(). The folder is created on first write.
    explicit Registry(std::string folder = {});
    ~Registry();
    Registry(const Registry &) = delete;
    Registry &operator=(const Registry &) = delete;

    const std::string &folder() const { return folder_; }
    static const char *RootName(RegistryRoot root);  // "HKEY_CURRENT_USER" ...

    // True when the key exists; never creates it.
    [[nodiscard]] bool KeyExists(RegistryRoot root, const std::string &key);
    // Creates the key and its parents. False when the file cannot be written.
    [[nodiscard]] bool CreateKey(RegistryRoot root, const std::string &key);

    // nullopt when the key or the value does not exist.
    std::optional<std::string> ReadString(RegistryRoot root, const std::string &key,
                                          const std::string &name);
    [[nodiscard]] bool ValueExists(RegistryRoot root, const std::string &key, const std::string &name);
    // Creates the key when missing. False when the file cannot be written
    // (the change is then kept in memory only).
    [[nodiscard]] bool WriteString(RegistryRoot root, const std::string &key, const std::string &name,
                                   const std::string &value);

    // Copies the key with all its values and subkeys onto target (merging
    // into an existing target). False when source does not exist, when target
    // lies inside source, or when writing fails.
    [[nodiscard]] bool CopyKey(RegistryRoot sourceRoot, const std::string &source, RegistryRoot targetRoot,
                               const std::string &target);
    // Deletes the key and everything below it. False when it did not exist.
    [[nodiscard]] bool DeleteKey(RegistryRoot root, const std::string &key);

    // Path of a root's file; and the path a corrupt file was moved to during
    // this object's life (empty when none).
    std::string FilePath(RegistryRoot root) const;
    std::string MovedAsidePath(RegistryRoot root) const;

private:
    RegistryKey &Root(RegistryRoot root);
    RegistryKey *Find(RegistryRoot root, const std::string &key);
    RegistryKey *FindOrCreate(RegistryRoot root, const std::string &key);
    bool Save(RegistryRoot root);

    std::string folder_;
    std::map<int, RegistryKey> roots_;
    std::map<int, std::string> movedAside_;
    // Roots whose bad file could not be moved aside: never written over.
    std::set<int> readOnly_;
};

}  // namespace quaverly
