#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quaverly {

// Replaces a file whole or not at all: the new contents go to a temporary
// file in the same folder, which is synced and then renamed over the file.
// A reader, a crash or a full disk never leaves a half-written file behind.
// The new file keeps the old one's permissions (0644 for a new file).
class TAtomicFileWriter {
public:
    explicit TAtomicFileWriter(std::string path);
    ~TAtomicFileWriter();   // removes the temporary file unless committed
    TAtomicFileWriter(const TAtomicFileWriter &) = delete;
    TAtomicFileWriter &operator=(const TAtomicFileWriter &) = delete;

    [[nodiscard]] bool Write(std::string_view bytes);
    // Appends the bytes of the file at source from offset to its end.
    [[nodiscard]] bool CopyFrom(const std::string &source, std::int64_t offset);
    // Syncs, renames over the path and syncs the folder.
    [[nodiscard]] bool Commit();
    // errno of the first failure, 0 while none.
    int Error() const { return error_; }

private:
    bool Fail();

    std::string path_;
    std::string temp_;
    int fd_ = -1;
    int error_ = 0;
    bool committed_ = false;
};

}  // namespace quaverly
