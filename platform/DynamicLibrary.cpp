#include "platform/DynamicLibrary.h"

#include <dlfcn.h>
#include <utility>

namespace quaverly {

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr int kKeepMapped = RTLD_NODELETE;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr int kKeepMapped = RTLD_NODELETE;
#else
constexpr int kKeepMapped = 0;
#endif
#else
constexpr int kKeepMapped = 0;
#endif

}  // namespace

DynamicLibrary::DynamicLibrary(const std::string &path)
{
    // Sanitizer builds keep a released library mapped, so the leak checker
    // still sees its one-time allocations as reachable from its globals.
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | kKeepMapped);
    if (!handle_) {
        const char *e = dlerror();
        error_ = e ? e : "cannot load " + path;
    }
}

DynamicLibrary::~DynamicLibrary()
{
    if (handle_)
        dlclose(handle_);
}

DynamicLibrary::DynamicLibrary(DynamicLibrary &&other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)), error_(std::move(other.error_))
{
}

DynamicLibrary &DynamicLibrary::operator=(DynamicLibrary &&other) noexcept
{
    if (this != &other) {
        if (handle_)
            dlclose(handle_);
        handle_ = std::exchange(other.handle_, nullptr);
        error_ = std::move(other.error_);
    }
    return *this;
}

void *DynamicLibrary::Symbol(const char *name) const
{
    if (!handle_ || !name)
        return nullptr;
    return dlsym(handle_, name);
}

}  // namespace quaverly
