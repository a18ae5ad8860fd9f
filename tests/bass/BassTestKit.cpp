#include "bass/BassTestKit.h"

#include <cmath>
#include <dlfcn.h>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace quaverly::test {

TempFolder::TempFolder()
{
    std::string pattern = (fs::temp_directory_path() / "quaverly-bass-XXXXXX").string();
    if (mkdtemp(pattern.data()))
        path_ = pattern;
}

TempFolder::~TempFolder()
{
    std::error_code ec;
    fs::remove_all(path_, ec);
}

bool RunShell(const std::string &command)
{
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

bool MakeTone(const std::string &path, Encoder encoder, double freq, int rate, int channels, double seconds,
              double amplitude, const std::string &title)
{
    // One expression per channel: ffmpeg's own upmix would lower the level.
    std::ostringstream one;
    one << amplitude << "*sin(2*PI*" << freq << "*t)";
    std::string exprs = one.str();
    for (int c = 1; c < channels; ++c)
        exprs += "|" + one.str();
    std::ostringstream src;
    src << "ffmpeg -nostdin -v error -y -f lavfi -i 'aevalsrc=" << exprs << ":s=" << rate << ":d=" << seconds << "'";
    const std::string meta = title.empty() ? std::string() : " -metadata title='" + title + "'";
    const std::string wav = path + ".src.wav";
    switch (encoder) {
    case Encoder::Wav: return RunShell(src.str() + " -c:a pcm_s16le" + meta + " '" + path + "'");
    case Encoder::FfmpegMp3: return RunShell(src.str() + " -c:a libmp3lame -b:a 128k" + meta + " -f mp3 '" + path + "'");
    case Encoder::FfmpegMp2: return RunShell(src.str() + " -c:a mp2 -b:a 192k" + meta + " -f mp2 '" + path + "'");
    case Encoder::FfmpegOgg: return RunShell(src.str() + " -c:a libvorbis -q:a 4" + meta + " -f ogg '" + path + "'");
    case Encoder::Wma: return RunShell(src.str() + " -c:a wmav2 -b:a 128k" + meta + " -f asf '" + path + "'");
    case Encoder::Lame:
        return RunShell(src.str() + " -c:a pcm_s16le '" + wav + "'") && RunShell("lame --quiet -b 128 '" + wav + "' '" + path + "'")
            && fs::remove(wav);
    case Encoder::Oggenc:
        return RunShell(src.str() + " -c:a pcm_s16le '" + wav + "'")
            && RunShell("oggenc --quiet -q 4" + (title.empty() ? std::string() : " -t '" + title + "'") + " -o '" + path
                   + "' '" + wav + "'")
            && fs::remove(wav);
    }
    return false;
}

std::vector<int16_t> ReadPcm(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<int16_t> out(bytes.size() / 2);
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = int16_t(uint8_t(bytes[2 * i]) | uint16_t(uint8_t(bytes[2 * i + 1])) << 8);
    return out;
}

PcmAnalysis Analyse(const std::vector<int16_t> &stereo, int rate, int threshold)
{
    PcmAnalysis a;
    const int64_t frames = int64_t(stereo.size() / 2);
    for (int64_t i = 0; i < frames; ++i) {
        if (std::abs(stereo[size_t(i) * 2]) > threshold) {
            if (a.first < 0)
                a.first = i;
            a.last = i;
        }
    }
    if (a.first < 0)
        return a;
    a.seconds = double(a.last - a.first + 1) / rate;
    int64_t crossings = 0;
    double sum = 0;
    for (int64_t i = a.first; i <= a.last; ++i) {
        const int16_t v = stereo[size_t(i) * 2];
        sum += double(v) * v;
        if (i > a.first && (stereo[size_t(i - 1) * 2] < 0) != (v < 0))
            ++crossings;
    }
    a.frequency = crossings / 2.0 / a.seconds;
    a.rms = std::sqrt(sum / double(a.last - a.first + 1)) / 32768.0;
    return a;
}

LoadedBass::LoadedBass()
{
    const std::string folder = std::string(QUAVERLY_BIN_DIR) + "/";
    // Keeps the libraries mapped after the binding releases them: the
    // one-time allocations of FFmpeg and SDL stay reachable then, instead of
    // showing up as leaks of an unloaded module under LeakSanitizer.
    static void *const keepBass = dlopen((folder + BassLibrary::kFileName).c_str(), RTLD_NOW | RTLD_NODELETE);
    static void *const keepWma = dlopen((folder + BassWmaLibrary::kFileName).c_str(), RTLD_NOW | RTLD_NODELETE);
    (void)keepBass;
    (void)keepWma;
    if (!bass_.Load(folder))
        std::fprintf(stderr, "audio library not loaded: %s\n", bass_.error().c_str());
    (void)wma_.Load(folder);
}

LoadedBass::~LoadedBass()
{
    bass_.Unload();
    wma_.Unload();
}

bool LoadedBass::InitDisk(const std::string &out)
{
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", out.c_str(), 1);
    unsetenv("SDL_DISKAUDIODELAY");
    return bass_.loaded() && api().Init(1, 44100, 0, nullptr, nullptr) != 0;
}

void SyncRecorder::Add(HSYNC s, DWORD c, std::string text)
{
    int64_t size = -1;
    if (!diskFile.empty()) {
        std::error_code ec;
        size = int64_t(fs::file_size(diskFile, ec));
    }
    {
        std::lock_guard lock(mutex_);
        records_.push_back({s, c, std::move(text), std::chrono::steady_clock::now(), std::this_thread::get_id(), size});
    }
    cv_.notify_all();
}

void SyncRecorder::End(HSYNC s, DWORD c, DWORD, void *user)
{
    static_cast<SyncRecorder *>(user)->Add(s, c, {});
}

void SyncRecorder::Download(HSYNC s, DWORD c, DWORD, void *user)
{
    static_cast<SyncRecorder *>(user)->Add(s, c, {});
}

void SyncRecorder::Meta(HSYNC s, DWORD c, DWORD d, void *user)
{
    // The data is the text's 32-bit address; a comment list ends with an
    // empty string, an ICY block with its NUL.
    const char *p = reinterpret_cast<const char *>(uintptr_t(d));
    std::string text;
    if (p) {
        if (std::string_view(p).find("StreamTitle=") != std::string_view::npos) {
            text = p;
        } else {
            while (*p) {
                const std::string one(p);
                text += one;
                text += '\0';
                p += one.size() + 1;
            }
        }
    }
    static_cast<SyncRecorder *>(user)->Add(s, c, std::move(text));
}

std::vector<SyncRecord> SyncRecorder::records()
{
    std::lock_guard lock(mutex_);
    return records_;
}

size_t SyncRecorder::count()
{
    std::lock_guard lock(mutex_);
    return records_.size();
}

bool SyncRecorder::WaitFor(size_t n, std::chrono::milliseconds timeout)
{
    std::unique_lock lock(mutex_);
    return cv_.wait_for(lock, timeout, [&] { return records_.size() >= n; });
}

}  // namespace quaverly::test
