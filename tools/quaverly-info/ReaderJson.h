#pragma once
// The JSON objects of each reader's state and results, keys named after them.
#include "JsonWriter.h"
#include "audio/StreamInfo.h"
#include "mediainfo/Id3v1Tag.h"
#include "mediainfo/Id3v2Tag.h"
#include "mediainfo/MpegInfo.h"
#include "mediainfo/OggInfo.h"
#include "mediainfo/WavInfo.h"
#include "mediainfo/WmaInfo.h"

namespace quaverly::info {

void WriteId3v1(TJsonWriter& json, const mediainfo::TId3v1Tag& tag);
void WriteId3v2(TJsonWriter& json, const mediainfo::TId3v2Tag& tag);
void WriteMpeg(TJsonWriter& json, const mediainfo::TMpegInfo& mpeg, bool readInfo);
void WriteWav(TJsonWriter& json, const mediainfo::TWavInfo& wav, bool readInfo);
void WriteOgg(TJsonWriter& json, const mediainfo::TOggInfo& ogg, bool readInfo);
void WriteWma(TJsonWriter& json, const mediainfo::TWmaInfo& wma, bool readInfo);
void WriteStreamInfo(TJsonWriter& json, const audio::TStreamInfo& info, bool result);

} // namespace quaverly::info
