#pragma once

// A small http server on 127.0.0.1 for tests of network streams.
//
//   quaverly::test::HttpFileServer server;
//   server.Serve("/tone.ogg", "/tmp/x/tone.ogg");       // GET /tone.ogg
//   server.Serve("/live.mp3", file, {.withLength = false, .bytesPerSecond = 16000});
//   ASSERT_TRUE(server.Start());                          // free port, own thread
//   std::string url = server.Url("/tone.ogg");            // http://127.0.0.1:PORT/tone.ogg
//   server.Stop();                                        // closes every connection at once
//
// Each GET of a served path sends the file (200, Content-Type from the
// extension), with or without Content-Length, optionally paced; anything
// else gets 404. With .mmsh the file goes out in MMS-over-HTTP chunks. Connections and reads are bounded in time; Stop (also run
// by the destructor) ends all of them, which is how a test kills the server
// mid-stream.

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace quaverly::test {

class HttpFileServer {
public:
    struct Options {
        bool withLength = true;  // announce the size (a network file)
        int64_t bytesPerSecond = 0;  // 0: as fast as the socket takes it
        // Serve an ASF file as an MMS-over-HTTP server does: a describe request gets the
        // header in a "$H" chunk; a play request ("Pragma: xPlayStrm=1") gets the header,
        // each data packet in a "$D" chunk, then an "$E" chunk.
        bool mmsh = false;
        // As a radio server does for a client that asks for metadata
        // ("Icy-MetaData: 1"): "icy-metaint" in the head, and after every
        // icyInterval bytes of audio a block holding the next of icyTexts in
        // turn (NUL-padded).
        int icyInterval = 0;
        std::vector<std::string> icyTexts = {};
        // A server that hangs: with silent the request gets no answer at
        // all; with stallAfter >= 0 the body stops after that many bytes.
        // Either way the connection stays open until Stop.
        bool silent = false;
        int64_t stallAfter = -1;
    };

    HttpFileServer() = default;
    ~HttpFileServer();
    HttpFileServer(const HttpFileServer &) = delete;
    HttpFileServer &operator=(const HttpFileServer &) = delete;

    void Serve(const std::string &path, const std::string &file, Options options);
    void Serve(const std::string &path, const std::string &file) { Serve(path, file, Options{}); }
    [[nodiscard]] bool Start();
    void Stop();
    int port() const { return port_; }
    std::string Url(const std::string &path) const;
    int requests() const { return requests_.load(); }

private:
    void AcceptLoop();
    void Handle(int fd);
    void HoldOpen(int fd);

    struct Entry {
        std::string file;
        Options options;
    };
    std::mutex mutex_;
    std::map<std::string, Entry> entries_;
    std::vector<int> clients_;
    std::vector<std::thread> workers_;
    std::thread acceptor_;
    std::atomic<bool> stop_{false};
    std::atomic<int> requests_{0};
    int listen_ = -1;
    int port_ = 0;
};

}  // namespace quaverly::test
