#include "e2e/E2eSupport.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char **environ;

namespace quaverly::e2e {

bool WaitUntil(const std::function<bool()> &cond, int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!cond()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

namespace {

std::vector<std::string> InheritedEnvironment()
{
    std::vector<std::string> env;
    for (char **e = environ; *e; ++e)
        env.emplace_back(*e);
    return env;
}

pid_t SpawnRaw(const std::vector<std::string> &argv, const std::vector<std::string> &environment, int stdoutFd,
               const std::string &stderrPath)
{
    std::vector<char *> args, env;
    for (const auto &a : argv)
        args.push_back(const_cast<char *>(a.c_str()));
    args.push_back(nullptr);
    for (const auto &e : environment)
        env.push_back(const_cast<char *>(e.c_str()));
    env.push_back(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        setpgid(0, 0);
        int null = open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(stdoutFd >= 0 ? stdoutFd : null, 1);
        int err = stderrPath.empty() ? null : open(stderrPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(err >= 0 ? err : null, 2);
        execve(args[0], args.data(), env.data());
        _exit(127);
    }
    return pid;
}

std::vector<std::string> WithDisplay(std::vector<std::string> env, const std::string &display)
{
    std::erase_if(env, [](const std::string &e) { return e.rfind("DISPLAY=", 0) == 0; });
    env.push_back("DISPLAY=" + display);
    return env;
}

std::vector<unsigned long> ParseIds(const std::string &text)
{
    std::vector<unsigned long> ids;
    std::istringstream in(text);
    unsigned long id;
    while (in >> id)
        ids.push_back(id);
    return ids;
}

}  // namespace

XServer::XServer(bool withWindowManager)
{
    int fds[2];
    if (pipe(fds) != 0) {
        error_ = "pipe failed";
        return;
    }
    // -displayfd: the server picks a free display and writes its number.
    xvfb_ = SpawnRaw({"/usr/bin/Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "1024x768x24",
                      "-nolisten", "tcp", "-noreset"},
                     InheritedEnvironment(), -1, {});
    close(fds[1]);
    std::string number;
    char c;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    fcntl(fds[0], F_SETFL, O_NONBLOCK);
    while (std::chrono::steady_clock::now() < deadline) {
        ssize_t n = read(fds[0], &c, 1);
        if (n == 1) {
            if (c == '\n')
                break;
            number += c;
        } else if (n == 0) {
            break;
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    close(fds[0]);
    if (number.empty()) {
        error_ = "Xvfb did not report a display";
        return;
    }
    display_ = ":" + number;
    if (withWindowManager) {
        char pattern[] = "/tmp/quaverly-e2e-wm-XXXXXX";
        home_ = mkdtemp(pattern);
        auto env = WithDisplay(InheritedEnvironment(), display_);
        std::erase_if(env, [](const std::string &e) { return e.rfind("HOME=", 0) == 0; });
        env.push_back("HOME=" + home_);
        wm_ = SpawnRaw({"/usr/bin/openbox", "--sm-disable"}, env, -1, {});
        if (!WaitUntil([&] { return RunTool(display_, "xprop -root _NET_SUPPORTING_WM_CHECK").find("window id") !=
                                    std::string::npos; },
                       10000)) {
            error_ = "openbox did not start";
            return;
        }
    }
    ok_ = true;
}

XServer::~XServer()
{
    for (pid_t pid : {wm_, xvfb_}) {
        if (pid <= 0)
            continue;
        kill(pid, SIGTERM);
        Child(pid).Wait(5000);
    }
    if (!home_.empty()) {
        std::error_code ec;
        std::filesystem::remove_all(home_, ec);
    }
}

Child::~Child() { Stop(); }

Child &Child::operator=(Child &&other) noexcept
{
    if (this != &other) {
        Stop();
        pid_ = other.pid_;
        status_ = other.status_;
        other.pid_ = -1;
    }
    return *this;
}

int Child::Wait(int timeoutMs)
{
    if (pid_ <= 0)
        return status_;
    int status = 0;
    bool ended = WaitUntil(
        [&] {
            pid_t r = waitpid(pid_, &status, WNOHANG);
            return r == pid_ || (r < 0 && errno == ECHILD);
        },
        timeoutMs);
    if (!ended)
        return -2;
    pid_ = -1;
    status_ = WIFEXITED(status) ? WEXITSTATUS(status) : WIFSIGNALED(status) ? 128 + WTERMSIG(status) : -1;
    return status_;
}

bool Child::Running() { return pid_ > 0 && waitpid(pid_, nullptr, WNOHANG) == 0; }

void Child::Stop()
{
    if (pid_ <= 0)
        return;
    kill(pid_, SIGTERM);
    if (Wait(3000) == -2) {
        kill(pid_, SIGKILL);
        Wait(3000);
    }
}

std::vector<std::string> EnvironmentWithout(std::initializer_list<const char *> prefixes)
{
    std::vector<std::string> env;
    for (char **e = environ; *e; ++e) {
        const std::string_view entry = *e;
        if (std::none_of(prefixes.begin(), prefixes.end(), [&](const char *p) { return entry.starts_with(p); }))
            env.emplace_back(entry);
    }
    return env;
}

Child Spawn(const std::vector<std::string> &argv, const std::vector<std::string> &environment,
            const std::string &stderrPath)
{
    return Child(SpawnRaw(argv, environment, -1, stderrPath));
}

std::string RunTool(const std::string &display, const std::string &command)
{
    const std::string line = "DISPLAY=" + display + " timeout 10 " + command + " 2>/dev/null";
    FILE *pipe = popen(line.c_str(), "r");
    if (!pipe)
        return {};
    std::string out;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        out.append(buffer, n);
    pclose(pipe);
    return out;
}

bool Screenshot::Take(const std::string &display, const std::string &folder)
{
    const std::string path = folder + "/shot.rgb";
    RunTool(display, "import -window root -depth 8 RGB:" + path);
    std::ifstream in(path, std::ios::binary);
    rgb.assign(std::istreambuf_iterator<char>(in), {});
    width = 1024;
    height = 768;
    return rgb.size() == size_t(width) * size_t(height) * 3;
}

unsigned Screenshot::Pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width || y >= height || rgb.empty())
        return 0;
    const size_t i = (size_t(y) * size_t(width) + size_t(x)) * 3;
    return (unsigned(rgb[i]) << 16) | (unsigned(rgb[i + 1]) << 8) | unsigned(rgb[i + 2]);
}

std::vector<unsigned long> VisibleMainWindows(const std::string &display)
{
    return ParseIds(RunTool(display, "xdotool search --onlyvisible --class '^TMainForm$'"));
}

std::vector<unsigned long> AllMainWindows(const std::string &display)
{
    return ParseIds(RunTool(display, "xdotool search --class '^TMainForm$'"));
}

}  // namespace quaverly::e2e
