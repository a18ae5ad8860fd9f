#pragma once

#include <functional>
#include <optional>
#include <string>

#include "platform/RegistryFile.h"

namespace quaverly {

// A file-backed stand-in for the registry: the same roots, keys and values.
// Each root is one REGEDIT4 text file (HKEY_CURRENT_USER.reg ...) in
// DefaultFolder(). Key paths use "\" between parts and are compared part by
// part without regard to ASCII case ("A\B" never matches "A\B~"); value names
// too. The default value has the name "". Values of other types (dword:,
// hex:, hex(n):) are kept as written.
//
// Other processes share these files (the external MIDI player writes its
// settings as it exits), so nothing is cached: every call reads the file.
// Every change is one read-modify-write under an exclusive flock on the
// root's lock file ("<root>.reg.lock"), ending in an atomic replacement
// (temporary file, fsync, rename): a crash leaves the old or the new file,
// and two processes never interleave. Reads take no lock, as a rename swaps
// the whole file at once.
//
// A root file that exists but cannot be read or parsed is never written
// over: reads see an empty root and every change reports false, so nothing a
// human might still recover is lost.
enum class RegistryRoot { HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_CLASSES_ROOT };

class Registry {
public:
    // $QUAVERLY_REGISTRY_DIR, else $XDG_CONFIG_HOME/quaverly/registry, else
    // $HOME/.config/quaverly/registry.
    static std::string DefaultFolder();

    // folder empty = DefaultFolder(). The folder is created on first write.
    explicit Registry(std::string folder = {});
    Registry(const Registry &) = delete;
    Registry &operator=(const Registry &) = delete;

    const std::string &folder() const { return folder_; }
    static const char *RootName(RegistryRoot root);  // "HKEY_CURRENT_USER" ...

    // True when the key exists; never creates it.
    [[nodiscard]] bool KeyExists(RegistryRoot root, const std::string &key);
    // Creates the key and its parents. False when the file cannot be written.
    [[nodiscard]] bool CreateKey(RegistryRoot root, const std::string &key);

    // nullopt when the key or the value does not exist or is not a string.
    std::optional<std::string> ReadString(RegistryRoot root, const std::string &key,
                                          const std::string &name);
    [[nodiscard]] bool ValueExists(RegistryRoot root, const std::string &key, const std::string &name);
    // Creates the key when missing. False when the file cannot be written.
    [[nodiscard]] bool WriteString(RegistryRoot root, const std::string &key, const std::string &name,
                                   const std::string &value);

    // Copies the key with all its values and subkeys onto target (merging
    // into an existing target). False when source does not exist, when target
    // lies inside source, or when writing fails.
    [[nodiscard]] bool CopyKey(RegistryRoot sourceRoot, const std::string &source, RegistryRoot targetRoot,
                               const std::string &target);
    // Deletes the key and everything below it. False when it did not exist.
    [[nodiscard]] bool DeleteKey(RegistryRoot root, const std::string &key);

    enum class MoveMode {
        KeepTarget,     // refuse when target exists (a backup is never overwritten)
        ReplaceTarget,  // delete target with its subkeys first
    };
    // Renames source to target within one root: copy and delete in a single
    // write under the lock, so neither half can happen without the other.
    // False (and nothing changed) when source is missing, when one lies
    // inside the other, when mode is KeepTarget and target exists, or when
    // the file cannot be written.
    [[nodiscard]] bool MoveKey(RegistryRoot root, const std::string &source, const std::string &target,
                               MoveMode mode);

    // Path of a root's file.
    std::string FilePath(RegistryRoot root) const;

private:
    // The root as stored now; nullopt when the file exists but cannot be
    // read or parsed. A missing file is an empty root.
    std::optional<RegistryKey> Load(RegistryRoot root) const;
    // Under the root's lock: load, apply change, and write back when change
    // returns true. False when locking, loading or writing fails or change
    // refuses.
    bool Update(RegistryRoot root, const std::function<bool(RegistryKey &)> &change);

    std::string folder_;
};

}  // namespace quaverly
