#!/bin/sh
# Builds the small static FFmpeg that libbass.so links: the audio decoders,
# demuxers and protocols the audio library plays, libswresample and libavutil,
# nothing else. Debian's shared FFmpeg drags about 130 libraries into every
# process that loads the audio library (over 20 MB resident before a note is
# played); this one adds about 2 MB.
#
# The source is Debian's own upstream tarball of the FFmpeg release that
# bookworm ships, checked against its SHA-256. The result lands in
# <dir>/prefix (default build-ffmpeg/prefix), which CMake picks up by itself.
# It is rebuilt only when this script's options change.
#
# When the tarball cannot be had (no network, or the archive has moved on to a
# newer release), the script says so and exits 0: the build then uses the
# system's FFmpeg, which plays the same files at a higher memory cost.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-$here/build-ffmpeg}
version=5.1.9
sha256=d9b593bb2ba93d4b50f74177e0cdcd41747e708596367deed0c30348a71dd176
tarball=ffmpeg_$version.orig.tar.xz
url=http://deb.debian.org/debian/pool/main/f/ffmpeg/$tarball
prefix=$dir/prefix

# What the audio library decodes: MPEG audio layers I-III, Vorbis, the WMA
# family, the PCM and ADPCM kinds found in WAV files, and for radio streams
# AAC, Opus and FLAC. Protocols: files, http(s) with ICY metadata, ftp and
# the two mms transports.
options="--disable-everything --disable-autodetect --disable-programs --disable-doc
 --disable-avdevice --disable-avfilter --disable-swscale --disable-postproc --disable-debug
 --enable-pic --enable-static --disable-shared --enable-zlib --enable-openssl --enable-swresample
 --enable-decoder=mp1,mp1float,mp2,mp2float,mp3,mp3float,vorbis,wmav1,wmav2,wmapro,wmalossless,wmavoice
 --enable-decoder=pcm_s16le,pcm_s16be,pcm_u8,pcm_s8,pcm_s24le,pcm_s32le,pcm_f32le,pcm_f64le
 --enable-decoder=pcm_alaw,pcm_mulaw,adpcm_ms,adpcm_ima_wav,gsm_ms,aac,opus,flac
 --enable-demuxer=mp3,ogg,wav,asf,aac,flac
 --enable-parser=mpegaudio,vorbis,aac,opus,flac
 --enable-protocol=file,http,https,tls,tcp,httpproxy,ftp,mmsh,mmst"
stamp="$version $(echo "$options" | tr -s ' \n' ' ')"

if [ -f "$prefix/.stamp" ] && [ "$(cat "$prefix/.stamp")" = "$stamp" ]; then
    exit 0
fi

fallback() {
    echo "build-ffmpeg: $1; the build uses the system's FFmpeg instead" >&2
    rm -rf "$prefix"
    exit 0
}

mkdir -p "$dir"
if ! echo "$sha256  $dir/$tarball" | sha256sum -c --status 2>/dev/null; then
    echo "build-ffmpeg: fetching $url"
    rm -f "$dir/$tarball.part"
    curl -fsS --retry 2 --connect-timeout 20 --max-time 600 -o "$dir/$tarball.part" "$url" \
        || fallback "could not fetch $url"
    echo "$sha256  $dir/$tarball.part" | sha256sum -c --status || fallback "$tarball has the wrong checksum"
    mv "$dir/$tarball.part" "$dir/$tarball"
fi

src=$dir/ffmpeg-$version
rm -rf "$src" "$prefix"
tar -xJf "$dir/$tarball" -C "$dir"
echo "build-ffmpeg: configuring and building FFmpeg $version (about two minutes)"
cd "$src"
# shellcheck disable=SC2086
./configure --prefix="$prefix" $options >"$dir/configure.log" 2>&1 \
    || { tail -n 20 "$dir/configure.log" >&2; fallback "configure failed (see $dir/configure.log)"; }
make -j "$(nproc)" >"$dir/make.log" 2>&1 \
    || { tail -n 20 "$dir/make.log" >&2; fallback "make failed (see $dir/make.log)"; }
make install >>"$dir/make.log" 2>&1 || fallback "make install failed"
cd "$here"
rm -rf "$src"
echo "$stamp" >"$prefix/.stamp"
echo "build-ffmpeg: FFmpeg $version installed in $prefix"
