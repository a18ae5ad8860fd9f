#pragma once

#include <string>

namespace quaverly {

// A shared library loaded by path (dlopen, RTLD_NOW | RTLD_LOCAL) and closed
// with the object. A missing or broken file gives !loaded() and an error()
// text, never an exception.
class DynamicLibrary {
public:
    DynamicLibrary() = default;
    explicit DynamicLibrary(const std::string &path);
    ~DynamicLibrary();
    DynamicLibrary(DynamicLibrary &&other) noexcept;
    DynamicLibrary &operator=(DynamicLibrary &&other) noexcept;
    DynamicLibrary(const DynamicLibrary &) = delete;
    DynamicLibrary &operator=(const DynamicLibrary &) = delete;

    [[nodiscard]] bool loaded() const { return handle_ != nullptr; }
    const std::string &error() const { return error_; }

    // The address of an exported symbol, nullptr when absent.
    void *Symbol(const char *name) const;
    // Binds an entry point by name into a typed function pointer; false (and
    // fn = nullptr) when absent.
    template <typename Fn>
    [[nodiscard]] bool Bind(const char *name, Fn &fn) const
    {
        fn = reinterpret_cast<Fn>(Symbol(name));
        return fn != nullptr;
    }

private:
    void *handle_ = nullptr;
    std::string error_;
};

}  // namespace quaverly
