#include "support/HttpFileServer.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cctype>
#include <chrono>
#include <fstream>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace quaverly::test {

namespace {

std::string ContentType(const std::string &path)
{
    const auto dot = path.rfind('.');
    const std::string ext = dot == std::string::npos ? "" : path.substr(dot + 1);
    if (ext == "mp3" || ext == "mp2" || ext == "mp1")
        return "audio/mpeg";
    if (ext == "ogg")
        return "application/ogg";
    if (ext == "wav")
        return "audio/x-wav";
    if (ext == "wma")
        return "audio/x-ms-wma";
    return "application/octet-stream";
}

bool SendAll(int fd, const char *p, size_t n)
{
    while (n > 0) {
        const ssize_t w = ::send(fd, p, n, MSG_NOSIGNAL);
        if (w <= 0)
            return false;
        p += w;
        n -= size_t(w);
    }
    return true;
}

void PutLe16(std::vector<char> &out, uint32_t v)
{
    out.push_back(char(v & 0xff));
    out.push_back(char((v >> 8) & 0xff));
}

uint64_t Le(const std::vector<char> &in, size_t at, int bytes)
{
    uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | uint8_t(in[at + size_t(i)]);
    return v;
}

// One MMS-over-HTTP chunk: two type bytes, its length, and the extension that
// carries a sequence number ("$H" and "$D" have 8 bytes of it, "$E" 4).
void PutChunk(std::vector<char> &out, char type, uint32_t seq, const char *payload, size_t size)
{
    const uint32_t ext = type == 'E' ? 4 : 8;
    out.push_back('$');
    out.push_back(type);
    PutLe16(out, uint32_t(size) + ext);
    PutLe16(out, seq & 0xffff);
    PutLe16(out, seq >> 16);
    if (ext == 8) {
        PutLe16(out, 0);
        PutLe16(out, uint32_t(size) + ext);
    }
    out.insert(out.end(), payload, payload + size);
}

bool AsksForIcy(std::string head)
{
    for (char &c : head)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return head.find("\r\nicy-metadata: 1") != std::string::npos;
}

// The audio with a metadata block after every `interval` bytes: a length
// byte (in 16-byte units) and the text padded with NULs to that length.
std::vector<char> WithIcyBlocks(const std::vector<char> &audio, size_t interval, const std::vector<std::string> &texts)
{
    std::vector<char> out;
    size_t next = 0;
    for (size_t at = 0; at < audio.size(); at += interval) {
        const size_t n = std::min(interval, audio.size() - at);
        out.insert(out.end(), audio.begin() + long(at), audio.begin() + long(at + n));
        if (n < interval || texts.empty())
            continue;
        const std::string &text = texts[next++ % texts.size()];
        const size_t units = std::min<size_t>((text.size() + 15) / 16, 255);
        std::string block(1, char(units));
        block += text.substr(0, units * 16);
        block.resize(1 + units * 16, '\0');
        out.insert(out.end(), block.begin(), block.end());
    }
    return out;
}

// The ASF file in chunks: its header object with the data object's 50-byte
// head, then (for a play request) the fixed-size packets. An empty result when
// the file is no ASF file this can split.
std::vector<char> MmshChunks(const std::vector<char> &asf, bool play)
{
    static const unsigned char kFileProperties[16] = {0xA1, 0xDC, 0xAB, 0x8C, 0x47, 0xA9, 0xCF, 0x11,
                                                      0x8E, 0xE4, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65};
    std::vector<char> out;
    if (asf.size() < 30)
        return out;
    const uint64_t headerSize = Le(asf, 16, 8);
    if (headerSize + 50 > asf.size() || headerSize + 50 > 0xfff0)
        return out;
    uint64_t packet = 0;
    for (size_t at = 30; at + 100 <= headerSize;) {
        const uint64_t size = Le(asf, at + 16, 8);
        if (std::equal(kFileProperties, kFileProperties + 16, reinterpret_cast<const unsigned char *>(&asf[at])))
            packet = Le(asf, at + 96, 4);
        if (size < 24)
            break;
        at += size;
    }
    if (packet == 0 || packet > 0xfff0)
        return out;
    PutChunk(out, 'H', 0, asf.data(), headerSize + 50);
    if (!play)
        return out;
    const uint64_t dataEnd = std::min<uint64_t>(headerSize + Le(asf, headerSize + 16, 8), asf.size());
    uint32_t seq = 0;
    for (uint64_t at = headerSize + 50; at + packet <= dataEnd; at += packet)
        PutChunk(out, 'D', seq++, asf.data() + at, packet);
    PutChunk(out, 'E', seq, nullptr, 0);
    return out;
}

}  // namespace

HttpFileServer::~HttpFileServer()
{
    Stop();
}

void HttpFileServer::Serve(const std::string &path, const std::string &file, Options options)
{
    std::lock_guard lock(mutex_);
    entries_[path] = {file, options};
}

std::string HttpFileServer::Url(const std::string &path) const
{
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

bool HttpFileServer::Start()
{
    listen_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listen_ < 0)
        return false;
    const int one = 1;
    setsockopt(listen_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    socklen_t len = sizeof addr;
    if (::bind(listen_, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0 || ::listen(listen_, 16) != 0
        || ::getsockname(listen_, reinterpret_cast<sockaddr *>(&addr), &len) != 0) {
        ::close(listen_);
        listen_ = -1;
        return false;
    }
    port_ = ntohs(addr.sin_port);
    stop_ = false;
    acceptor_ = std::thread([this] { AcceptLoop(); });
    return true;
}

void HttpFileServer::Stop()
{
    if (listen_ < 0)
        return;
    stop_ = true;
    if (acceptor_.joinable())
        acceptor_.join();
    std::vector<std::thread> workers;
    {
        std::lock_guard lock(mutex_);
        for (int fd : clients_)
            ::shutdown(fd, SHUT_RDWR);
        workers.swap(workers_);
    }
    for (auto &t : workers)
        t.join();
    ::close(listen_);
    listen_ = -1;
}

void HttpFileServer::AcceptLoop()
{
    while (!stop_) {
        pollfd p{listen_, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0)
            continue;
        const int fd = ::accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        std::lock_guard lock(mutex_);
        clients_.push_back(fd);
        workers_.emplace_back([this, fd] { Handle(fd); });
    }
}

void HttpFileServer::HoldOpen(int fd)
{
    // Until Stop, or until the client goes away (bounded: Stop ends it).
    while (!stop_) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 50) > 0) {
            char buf[1024];
            if (::recv(fd, buf, sizeof buf, 0) <= 0)
                return;
        }
    }
}

void HttpFileServer::Handle(int fd)
{
    // Request head: bounded in size and time.
    std::string head;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (head.find("\r\n\r\n") == std::string::npos && head.size() < 8192 && !stop_
           && std::chrono::steady_clock::now() < deadline) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0)
            continue;
        char buf[1024];
        const ssize_t r = ::recv(fd, buf, sizeof buf, 0);
        if (r <= 0)
            break;
        head.append(buf, size_t(r));
    }
    ++requests_;
    std::string path;
    if (head.rfind("GET ", 0) == 0) {
        const auto end = head.find(' ', 4);
        if (end != std::string::npos)
            path = head.substr(4, end - 4);
    }
    Entry entry;
    bool found = false;
    {
        std::lock_guard lock(mutex_);
        const auto it = entries_.find(path);
        if (it != entries_.end()) {
            entry = it->second;
            found = true;
        }
    }
    std::ifstream in(entry.file, std::ios::binary);
    if (found && entry.options.silent) {
        HoldOpen(fd);
    } else if (!found || !in) {
        const std::string r = "HTTP/1.0 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
        SendAll(fd, r.data(), r.size());
    } else {
        std::vector<char> body((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::string type = ContentType(path);
        if (entry.options.mmsh) {
            body = MmshChunks(body, head.find("xPlayStrm=1") != std::string::npos);
            type = "application/vnd.ms.wms-hdr.asfv1";
        }
        std::string r = "HTTP/1.0 200 OK\r\nContent-Type: " + type + "\r\nConnection: close\r\n";
        if (entry.options.icyInterval > 0 && AsksForIcy(head)) {
            body = WithIcyBlocks(body, size_t(entry.options.icyInterval), entry.options.icyTexts);
            r += "icy-metaint: " + std::to_string(entry.options.icyInterval) + "\r\n";
        }
        if (entry.options.withLength)
            r += "Content-Length: " + std::to_string(body.size()) + "\r\n";
        r += "\r\n";
        if (entry.options.stallAfter >= 0 && size_t(entry.options.stallAfter) < body.size())
            body.resize(size_t(entry.options.stallAfter));
        if (SendAll(fd, r.data(), r.size())) {
            const size_t block = entry.options.bytesPerSecond > 0
                ? size_t(std::max<int64_t>(entry.options.bytesPerSecond / 20, 1))
                : body.size();
            const auto start = std::chrono::steady_clock::now();
            for (size_t at = 0; at < body.size() && !stop_; at += block) {
                if (entry.options.bytesPerSecond > 0) {
                    const auto due = start + std::chrono::microseconds(int64_t(at) * 1000000 / entry.options.bytesPerSecond);
                    while (!stop_ && std::chrono::steady_clock::now() < due)
                        std::this_thread::sleep_for(std::chrono::milliseconds(5));
                }
                if (stop_ || !SendAll(fd, body.data() + at, std::min(block, body.size() - at)))
                    break;
            }
            if (entry.options.stallAfter >= 0)
                HoldOpen(fd);
        }
    }
    std::lock_guard lock(mutex_);
    std::erase(clients_, fd);
    ::close(fd);
}

}  // namespace quaverly::test
