#pragma once

#include <functional>
#include <initializer_list>
#include <string>
#include <sys/types.h>
#include <vector>

namespace quaverly::e2e {

// Polls cond every 20 ms until it holds or timeoutMs passed.
bool WaitUntil(const std::function<bool()> &cond, int timeoutMs);

// A private X server (Xvfb, 1024x768x24, display number chosen by the server
// itself) and, when asked, openbox on it. Both end with this object, by PID.
class XServer {
public:
    explicit XServer(bool withWindowManager);
    ~XServer();
    XServer(const XServer &) = delete;
    XServer &operator=(const XServer &) = delete;

    bool ok() const { return ok_; }
    const std::string &display() const { return display_; }
    const std::string &error() const { return error_; }

private:
    pid_t xvfb_ = -1;
    pid_t wm_ = -1;
    std::string display_;
    std::string home_;
    std::string error_;
    bool ok_ = false;
};

// A started program: its pid, its exit status once ended.
class Child {
public:
    Child() = default;
    Child(pid_t pid) : pid_(pid) {}
    ~Child();
    Child(Child &&other) noexcept : pid_(other.pid_), status_(other.status_) { other.pid_ = -1; }
    Child &operator=(Child &&other) noexcept;

    pid_t pid() const { return pid_; }
    bool started() const { return pid_ > 0; }
    // The exit status (128 + signal when killed), or -2 when still running at
    // the deadline.
    int Wait(int timeoutMs);
    bool Running();
    // Ends it (SIGTERM, then SIGKILL) when still running.
    void Stop();

private:
    pid_t pid_ = -1;
    int status_ = -2;
};

// This process's environment without the entries that begin with one of the
// prefixes: what would lead the program to another display, lock, registry,
// clock or sound output.
std::vector<std::string> EnvironmentWithout(std::initializer_list<const char *> prefixes);

// Starts argv[0] with exactly the given environment, standard error to
// stderrPath (when not empty), standard output discarded.
Child Spawn(const std::vector<std::string> &argv, const std::vector<std::string> &environment,
            const std::string &stderrPath = {});

// Runs a fixed X tool command line with DISPLAY set, bounded to ten seconds;
// its standard output.
std::string RunTool(const std::string &display, const std::string &command);

// A screenshot of the whole root window as 8-bit RGB rows.
struct Screenshot {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
    bool Take(const std::string &display, const std::string &folder);
    unsigned Pixel(int x, int y) const;   // 0xRRGGBB; 0 outside
};

// Visible windows of the main window's class, the order xdotool finds them.
std::vector<unsigned long> VisibleMainWindows(const std::string &display);
// Every window (mapped or not) of that class.
std::vector<unsigned long> AllMainWindows(const std::string &display);

}  // namespace quaverly::e2e
