#include "platform/SharedMemory.h"

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <semaphore.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quaverly {

namespace {
std::string ObjectName(const std::string &name) { return "/" + name; }
std::string MutexName(const std::string &name) { return "/" + name + "_SMMutex"; }
}  // namespace

SharedMemory::SharedMemory(const std::string &name, std::size_t size, Mode mode)
{
    const bool create = mode == Mode::Create;
    const bool writable = mode != Mode::OpenReadOnly;
    int fd = create ? shm_open(ObjectName(name).c_str(), O_CREAT | O_RDWR, 0600)
                    : shm_open(ObjectName(name).c_str(), writable ? O_RDWR : O_RDONLY, 0);
    if (fd < 0)
        return;
    struct stat st {};
    if (fstat(fd, &st) != 0) {
        close(fd);
        return;
    }
    std::size_t actual = std::size_t(st.st_size);
    if (create && actual < size) {
        // Growing keeps what is there; an existing larger block is kept as is.
        if (ftruncate(fd, off_t(size)) != 0) {
            close(fd);
            return;
        }
        actual = size;
    }
    std::size_t mapSize = (size == 0 || size > actual) ? actual : size;
    if (mapSize == 0) {
        close(fd);
        return;
    }
    void *p = mmap(nullptr, mapSize, writable ? PROT_READ | PROT_WRITE : PROT_READ, MAP_SHARED, fd, 0);
    close(fd);
    if (p == MAP_FAILED)
        return;
    sem_t *sem = create ? sem_open(MutexName(name).c_str(), O_CREAT, 0600, 1) : sem_open(MutexName(name).c_str(), 0);
    if (sem == SEM_FAILED) {
        munmap(p, mapSize);
        return;
    }
    data_ = p;
    size_ = mapSize;
    sem_ = sem;
}

SharedMemory::~SharedMemory()
{
    if (data_)
        munmap(data_, size_);
    if (sem_)
        sem_close(static_cast<sem_t *>(sem_));
}

bool SharedMemory::Unlink(const std::string &name)
{
    bool a = shm_unlink(ObjectName(name).c_str()) == 0 || errno == ENOENT;
    bool b = sem_unlink(MutexName(name).c_str()) == 0 || errno == ENOENT;
    return a && b;
}

SharedMemory::Lock::Lock(SharedMemory &memory, int timeoutMs) : sem_(memory.sem_)
{
    if (!sem_)
        return;
    auto *s = static_cast<sem_t *>(sem_);
    if (timeoutMs < 0) {
        int r;
        while ((r = sem_wait(s)) != 0 && errno == EINTR) {
        }
        owns_ = r == 0;
        return;
    }
    timespec deadline {};
    clock_gettime(CLOCK_REALTIME, &deadline);
    deadline.tv_sec += timeoutMs / 1000;
    deadline.tv_nsec += long(timeoutMs % 1000) * 1000000L;
    if (deadline.tv_nsec >= 1000000000L) {
        deadline.tv_sec += 1;
        deadline.tv_nsec -= 1000000000L;
    }
    int r;
    while ((r = sem_timedwait(s, &deadline)) != 0 && errno == EINTR) {
    }
    owns_ = r == 0;
}

SharedMemory::Lock::~Lock()
{
    if (owns_)
        sem_post(static_cast<sem_t *>(sem_));
}

}  // namespace quaverly
