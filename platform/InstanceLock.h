#pragma once

#include <string>

namespace quaverly {

// The single-instance rule: an exclusive flock on "Quaverly 2008.lock".
// The lock lives as long as this object (or the process: the kernel drops it
// on any exit, kill -9 included, as a named mutex would).
class InstanceLock {
public:
    enum class Result {
        Acquired,        // this process is the one instance
        HeldByAnother,   // another live process holds it: exit at once
        CouldNotCreate,  // no lock file could be made: go on as if acquired
    };

    // Folder for the lock file: $XDG_RUNTIME_DIR when set and non-empty, else
    // a per-user folder under the temporary folder (/tmp/quaverly-<uid>,
    // created mode 0700).
    static std::string DefaultFolder();

    // Tries once, never blocks. folder empty = DefaultFolder().
    explicit InstanceLock(const std::string &folder = {});
    ~InstanceLock();
    InstanceLock(const InstanceLock &) = delete;
    InstanceLock &operator=(const InstanceLock &) = delete;

    [[nodiscard]] Result result() const { return result_; }
    const std::string &path() const { return path_; }

    static constexpr const char *kFileName = "Quaverly 2008.lock";

private:
    int fd_ = -1;
    Result result_ = Result::CouldNotCreate;
    std::string path_;
};

}  // namespace quaverly
