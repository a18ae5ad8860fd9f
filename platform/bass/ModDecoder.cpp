#include "platform/bass/ModDecoder.h"

#include "platform/bass/bass.h"

#include <libopenmpt/libopenmpt.h>

#include <dlfcn.h>

#include <cmath>
#include <mutex>
#include <vector>

namespace quaverly::bass {

namespace {

constexpr int64_t kMaxModuleBytes = int64_t(64) << 20;

void Quiet(const char *, void *) {}

// libopenmpt is loaded the first time a module is opened, not with the
// library: a process that only plays streams never maps it or the decoders
// it brings along. It stays loaded once bound.
struct OpenMpt {
    decltype(&openmpt_probe_file_header) probe = nullptr;
    decltype(&openmpt_module_create_from_memory2) create = nullptr;
    decltype(&openmpt_module_destroy) destroy = nullptr;
    decltype(&openmpt_module_get_duration_seconds) duration = nullptr;
    decltype(&openmpt_module_read_interleaved_stereo) read = nullptr;
    decltype(&openmpt_module_set_position_seconds) setPosition = nullptr;
};

template <typename Fn>
bool Bind(void *lib, const char *name, Fn &fn)
{
    fn = reinterpret_cast<Fn>(dlsym(lib, name));
    return fn != nullptr;
}

// Null when libopenmpt cannot be loaded or lacks one of these functions.
const OpenMpt *Mpt()
{
    static OpenMpt mpt;
    static bool bound = false;
    static std::once_flag once;
    std::call_once(once, [] {
        void *lib = dlopen("libopenmpt.so.0", RTLD_NOW | RTLD_LOCAL);
        if (!lib)
            return;
        bound = Bind(lib, "openmpt_probe_file_header", mpt.probe)
                && Bind(lib, "openmpt_module_create_from_memory2", mpt.create)
                && Bind(lib, "openmpt_module_destroy", mpt.destroy)
                && Bind(lib, "openmpt_module_get_duration_seconds", mpt.duration)
                && Bind(lib, "openmpt_module_read_interleaved_stereo", mpt.read)
                && Bind(lib, "openmpt_module_set_position_seconds", mpt.setPosition);
        if (!bound)
            dlclose(lib);
    });
    return bound ? &mpt : nullptr;
}

}  // namespace

std::unique_ptr<ModDecoder> ModDecoder::Open(ByteSource &bytes, int &error)
{
    const OpenMpt *mpt = Mpt();
    if (!mpt) {
        error = BASS_ERROR_NOTAVAIL;
        return nullptr;
    }
    const int64_t size = bytes.Size();
    if (size <= 0 || size > kMaxModuleBytes) {
        error = BASS_ERROR_FILEFORM;
        return nullptr;
    }
    std::vector<uint8_t> data(static_cast<size_t>(size));
    int64_t at = 0;
    while (at < size) {
        const int64_t got = bytes.ReadAt(at, data.data() + at, size - at);
        if (got <= 0)
            break;
        at += got;
    }
    if (at != size) {
        error = BASS_ERROR_FILEOPEN;
        return nullptr;
    }
    const int probe = mpt->probe(OPENMPT_PROBE_FILE_HEADER_FLAGS_DEFAULT, data.data(), data.size(), uint64_t(size),
                                 &Quiet, nullptr, nullptr, nullptr, nullptr, nullptr);
    if (probe != OPENMPT_PROBE_FILE_HEADER_RESULT_SUCCESS) {
        error = BASS_ERROR_FILEFORM;
        return nullptr;
    }
    openmpt_module *mod =
        mpt->create(data.data(), data.size(), &Quiet, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    if (!mod) {
        error = BASS_ERROR_FILEFORM;
        return nullptr;
    }
    std::unique_ptr<ModDecoder> d(new ModDecoder);
    d->module_ = mod;
    d->size_ = size;
    const double seconds = mpt->duration(mod);
    if (seconds > 0)
        d->length_ = int64_t(std::llround(seconds * kRate));
    return d;
}

ModDecoder::~ModDecoder()
{
    if (module_)
        Mpt()->destroy(module_);
}

int ModDecoder::Read(int16_t *out, int maxFrames)
{
    return int(Mpt()->read(module_, kRate, size_t(maxFrames), out));
}

bool ModDecoder::Seek(int64_t frame)
{
    if (frame != 0)
        return false;
    Mpt()->setPosition(module_, 0.0);
    return true;
}

}  // namespace quaverly::bass
