#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace quaverly {

// A named POSIX shared-memory object (shm_open, mode 0600) mapped into this
// process, plus its named semaphore used as a mutex ("<name>_SMMutex").
// Names are given without the leading "/" ("VisOutSharedMemory").
class SharedMemory {
public:
    enum class Mode { Create, OpenReadOnly, OpenReadWrite };

    // Create: makes (or reuses) the object, sized to at least size bytes,
    // and the semaphore with count 1. Open*: attaches to existing ones;
    // size 0 maps the whole object.
    SharedMemory(const std::string &name, std::size_t size, Mode mode);
    ~SharedMemory();  // unmaps and closes; does not unlink
    SharedMemory(const SharedMemory &) = delete;
    SharedMemory &operator=(const SharedMemory &) = delete;

    [[nodiscard]] bool valid() const { return data_ != nullptr && sem_ != nullptr; }
    std::uint8_t *data() { return static_cast<std::uint8_t *>(data_); }
    const std::uint8_t *data() const { return static_cast<const std::uint8_t *>(data_); }
    std::size_t size() const { return size_; }

    // Removes both names from the system (objects outlive their creator, so
    // the owner unlinks them at start and at exit). True when both are gone.
    static bool Unlink(const std::string &name);

    // Holds the mutex for its lifetime. owns() is false when the wait failed
    // or timed out (timeoutMs < 0 waits without limit).
    class Lock {
    public:
        explicit Lock(SharedMemory &memory, int timeoutMs = -1);
        ~Lock();
        Lock(const Lock &) = delete;
        Lock &operator=(const Lock &) = delete;
        [[nodiscard]] bool owns() const { return owns_; }

    private:
        void *sem_;
        bool owns_ = false;
    };

private:
    void *data_ = nullptr;
    std::size_t size_ = 0;
    void *sem_ = nullptr;  // sem_t*
};

}  // namespace quaverly
