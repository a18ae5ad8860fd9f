#include "platform/bass/ModDecoder.h"

#include "platform/bass/bass.h"

#include <libopenmpt/libopenmpt.h>

#include <cmath>
#include <vector>

namespace quaverly::bass {

namespace {

constexpr int64_t kMaxModuleBytes = int64_t(64) << 20;

void Quiet(const char *, void *) {}

}  // namespace

std::unique_ptr<ModDecoder> ModDecoder::Open(ByteSource &bytes, int &error)
{
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
    const int probe = openmpt_probe_file_header(OPENMPT_PROBE_FILE_HEADER_FLAGS_DEFAULT, data.data(), data.size(),
                                                uint64_t(size), &Quiet, nullptr, nullptr, nullptr, nullptr,
                                                nullptr);
    if (probe != OPENMPT_PROBE_FILE_HEADER_RESULT_SUCCESS) {
        error = BASS_ERROR_FILEFORM;
        return nullptr;
    }
    openmpt_module *mod = openmpt_module_create_from_memory2(data.data(), data.size(), &Quiet, nullptr, nullptr,
                                                             nullptr, nullptr, nullptr, nullptr);
    if (!mod) {
        error = BASS_ERROR_FILEFORM;
        return nullptr;
    }
    std::unique_ptr<ModDecoder> d(new ModDecoder);
    d->module_ = mod;
    d->size_ = size;
    const double seconds = openmpt_module_get_duration_seconds(mod);
    if (seconds > 0)
        d->length_ = int64_t(std::llround(seconds * kRate));
    return d;
}

ModDecoder::~ModDecoder()
{
    if (module_)
        openmpt_module_destroy(module_);
}

int ModDecoder::Read(int16_t *out, int maxFrames)
{
    return int(openmpt_module_read_interleaved_stereo(module_, kRate, size_t(maxFrames), out));
}

bool ModDecoder::Seek(int64_t frame)
{
    if (frame != 0)
        return false;
    openmpt_module_set_position_seconds(module_, 0.0);
    return true;
}

}  // namespace quaverly::bass
