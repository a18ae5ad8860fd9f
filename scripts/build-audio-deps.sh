#!/bin/sh
# Builds the small static FFmpeg and SDL2 that libbass.so links, from the
# source tarballs of the releases Debian 12 ships, fetched from the Debian
# archive and checked against their SHA-256.
#
# Debian's shared FFmpeg and SDL2 drag about 150 libraries into every process
# that loads the audio library (x265, gnutls, X11, Wayland, D-Bus and the
# like: over 20 MB resident before a note is played). These builds hold only
# what the audio library uses:
# - FFmpeg: the audio decoders, demuxers and protocols it plays, libswresample
#   and libavutil;
# - SDL2: audio output alone, with the PulseAudio and ALSA drivers loaded at
#   run time when used, and the dummy and disk drivers the tests use.
#
# The result lands in <dir>/prefix (default build-audio-deps/prefix), which
# CMake picks up by itself. Each package is rebuilt only when its options
# here change. When one cannot be had (no network, or the archive has moved
# on to a newer release) or does not build, the script says so and exits 0:
# the build then uses the system's library, which plays the same files at a
# higher memory cost.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-$here/build-audio-deps}
prefix=$dir/prefix
jobs=$(nproc)
archive=http://deb.debian.org/debian/pool/main

# What the audio library decodes: MPEG audio layers I-III, Vorbis, the WMA
# family, the PCM and ADPCM kinds found in WAV files, and for radio streams
# AAC, Opus and FLAC. Protocols: files, http(s) with ICY metadata, ftp and
# the two mms transports.
ffmpeg_options="--disable-everything --disable-autodetect --disable-programs --disable-doc
 --disable-avdevice --disable-avfilter --disable-swscale --disable-postproc --disable-debug
 --enable-pic --enable-static --disable-shared --enable-zlib --enable-openssl --enable-swresample
 --enable-decoder=mp1,mp1float,mp2,mp2float,mp3,mp3float,vorbis,wmav1,wmav2,wmapro,wmalossless,wmavoice
 --enable-decoder=pcm_s16le,pcm_s16be,pcm_u8,pcm_s8,pcm_s24le,pcm_s32le,pcm_f32le,pcm_f64le
 --enable-decoder=pcm_alaw,pcm_mulaw,adpcm_ms,adpcm_ima_wav,gsm_ms,aac,opus,flac
 --enable-demuxer=mp3,ogg,wav,asf,aac,flac
 --enable-parser=mpegaudio,vorbis,aac,opus,flac
 --enable-protocol=file,http,https,tls,tcp,httpproxy,ftp,mmsh,mmst"

sdl_options="-DCMAKE_BUILD_TYPE=Release -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_STATIC_PIC=ON -DSDL_TEST=OFF
 -DSDL2_DISABLE_SDL2MAIN=ON -DSDL2_DISABLE_UNINSTALL=ON
 -DSDL_VIDEO=OFF -DSDL_RENDER=OFF -DSDL_JOYSTICK=OFF -DSDL_HAPTIC=OFF -DSDL_HIDAPI=OFF -DSDL_SENSOR=OFF
 -DSDL_POWER=OFF -DSDL_DBUS=OFF -DSDL_IBUS=OFF -DSDL_LIBSAMPLERATE=OFF
 -DSDL_X11=OFF -DSDL_WAYLAND=OFF -DSDL_KMSDRM=OFF -DSDL_RPI=OFF -DSDL_VIVANTE=OFF -DSDL_OFFSCREEN=OFF
 -DSDL_DUMMYVIDEO=OFF -DSDL_OPENGL=OFF -DSDL_OPENGLES=OFF -DSDL_VULKAN=OFF -DSDL_DIRECTFB=OFF
 -DSDL_JACK=OFF -DSDL_NAS=OFF -DSDL_SNDIO=OFF -DSDL_OSS=OFF -DSDL_PIPEWIRE=OFF
 -DSDL_PULSEAUDIO=ON -DSDL_PULSEAUDIO_SHARED=ON -DSDL_ALSA=ON -DSDL_ALSA_SHARED=ON
 -DSDL_DISKAUDIO=ON -DSDL_DUMMYAUDIO=ON"

say() { echo "build-audio-deps: $*"; }

# fetch <url> <file> <sha256>: the tarball in $dir, fetched once.
fetch() {
    if echo "$3  $dir/$2" | sha256sum -c --status 2>/dev/null; then
        return 0
    fi
    say "fetching $1"
    rm -f "$dir/$2.part"
    curl -fsS --retry 2 --connect-timeout 20 --max-time 600 -o "$dir/$2.part" "$1" || return 1
    if ! echo "$3  $dir/$2.part" | sha256sum -c --status; then
        say "$2 has the wrong checksum"
        return 1
    fi
    mv "$dir/$2.part" "$dir/$2"
}

# unpack <tarball> <folder>: a fresh source tree, $src.
unpack() {
    src=$dir/$2
    rm -rf "$src"
    tar -xf "$dir/$1" -C "$dir"
}

# A package's stamp records its release and options; unchanged means built.
built() { [ -f "$prefix/.stamp-$1" ] && [ "$(cat "$prefix/.stamp-$1")" = "$2" ]; }

build_ffmpeg() {
    version=5.1.9
    tarball=ffmpeg_$version.orig.tar.xz
    stamp="$version $(echo "$ffmpeg_options" | tr -s ' \n' ' ')"
    built ffmpeg "$stamp" && return 0
    fetch "$archive/f/ffmpeg/$tarball" "$tarball" \
        d9b593bb2ba93d4b50f74177e0cdcd41747e708596367deed0c30348a71dd176 || return 1
    unpack "$tarball" "ffmpeg-$version"
    say "building FFmpeg $version (a minute or two)"
    # shellcheck disable=SC2086
    (cd "$src" && ./configure --prefix="$prefix" $ffmpeg_options && make -j "$jobs" && make install) \
        >"$dir/ffmpeg.log" 2>&1 || { tail -n 20 "$dir/ffmpeg.log" >&2; return 1; }
    rm -rf "$src"
    echo "$stamp" >"$prefix/.stamp-ffmpeg"
}

build_sdl() {
    version=2.26.5
    tarball=libsdl2_$version+dfsg.orig.tar.gz
    stamp="$version $(echo "$sdl_options" | tr -s ' \n' ' ')"
    built sdl "$stamp" && return 0
    fetch "$archive/libs/libsdl2/$tarball" "$tarball" \
        b3f2c822151804125d08db94c65852f711c2e5df2145a59da120748dc32eb9c3 || return 1
    unpack "$tarball" "SDL2-$version"
    say "building SDL $version (audio only, about a minute)"
    # shellcheck disable=SC2086
    (cmake -S "$src" -B "$src/build" -G Ninja -DCMAKE_INSTALL_PREFIX="$prefix" $sdl_options \
        && cmake --build "$src/build" -j "$jobs" && cmake --install "$src/build") \
        >"$dir/sdl.log" 2>&1 || { tail -n 20 "$dir/sdl.log" >&2; return 1; }
    rm -rf "$src"
    echo "$stamp" >"$prefix/.stamp-sdl"
}

mkdir -p "$prefix"
build_ffmpeg || {
    say "no FFmpeg of our own; the build uses the system's (see $dir/ffmpeg.log)"
    rm -rf "$prefix"/lib/libav* "$prefix"/lib/libsw* "$prefix"/lib/pkgconfig/libav* \
        "$prefix"/lib/pkgconfig/libsw* "$prefix"/include/libav* "$prefix"/include/libsw* "$prefix/.stamp-ffmpeg"
}
build_sdl || {
    say "no SDL of our own; the build uses the system's (see $dir/sdl.log)"
    rm -rf "$prefix"/lib/libSDL2* "$prefix"/lib/cmake/SDL2 "$prefix"/lib/pkgconfig/sdl2.pc \
        "$prefix"/include/SDL2 "$prefix/.stamp-sdl"
}
exit 0
