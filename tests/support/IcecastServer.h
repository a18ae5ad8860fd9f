#pragma once

// A private icecast2 on 127.0.0.1 for tests of radio streams, with an
// ffmpeg source feeding it a sine and the admin interface for titles.
//
//   quaverly::test::IcecastServer ice;
//   ASSERT_TRUE(ice.Start());                     // temp config, free port, own pid
//   ASSERT_TRUE(ice.Feed("/live", IcecastServer::Mp3));   // or Ogg ("/live.ogg")
//   std::string url = ice.Url("/live");            // http://127.0.0.1:PORT/live
//   ice.SetTitle("/live", "First Song");          // admin/metadata updinfo (curl)
//   ice.Stop();                                   // source and server by pid
//
// Every wait is bounded (a few seconds). Needs /usr/bin/icecast2, ffmpeg
// and curl. The server runs as "nobody" (icecast does not run as root), so
// its folder is made writable for it.

#include <filesystem>
#include <string>
#include <sys/types.h>
#include <vector>

namespace quaverly::test {

class IcecastServer {
public:
    enum Format { Mp3, Ogg };

    IcecastServer() = default;
    ~IcecastServer();
    IcecastServer(const IcecastServer &) = delete;
    IcecastServer &operator=(const IcecastServer &) = delete;

    static bool Available();
    [[nodiscard]] bool Start();
    // Starts an ffmpeg source on the mount and waits until listeners can
    // connect to it. title: the Ogg stream's initial TITLE comment.
    [[nodiscard]] bool Feed(const std::string &mount, Format format, const std::string &title = "Start");
    [[nodiscard]] bool SetTitle(const std::string &mount, const std::string &song);
    // Ends the sources, then the server (SIGTERM, then SIGKILL).
    void Stop();
    // Ends the server alone, abruptly, as a crash would.
    void Kill();
    std::string Url(const std::string &mount) const;
    int port() const { return port_; }

private:
    bool MountReady(const std::string &mount);
    std::filesystem::path dir_;
    int port_ = 0;
    pid_t server_ = -1;
    std::vector<pid_t> sources_;
};

// A TCP port on 127.0.0.1 that was free a moment ago.
int FreeLoopbackPort();
// True once something accepts connections on 127.0.0.1:port.
bool PortAccepts(int port);

}  // namespace quaverly::test
