#!/bin/sh
# The opt-in small static FFmpeg and SDL2 (make build AUDIO_DEPS=static):
# builds them from the Debian source packages of the installed release,
# fetched with apt's own client.
#
# Debian's shared FFmpeg and SDL2 drag about 150 libraries into a process
# that plays a stream (x265, gnutls, X11, Wayland, D-Bus and the like). These
# builds hold only what the audio library uses, for those who want the
# memory; they miss Debian's security updates until rebuilt, which happens
# by itself when the source package's version changes.
# - FFmpeg: the audio decoders, demuxers and protocols it plays, libswresample
#   and libavutil;
# - SDL2: audio output alone, with the PulseAudio and ALSA drivers loaded at
#   run time when used, and the dummy and disk drivers the tests use.
#
# The result lands in <dir>/prefix (default build-audio-deps/prefix), which
# the build then links (CMake option QUAVERLY_AUDIO_DEPS=static). Each package
# is rebuilt only when its version or its options here change. The script
# fails when a source package cannot be had or does not build.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-$here/build-audio-deps}
prefix=$dir/prefix
jobs=$(nproc)
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

# apt with a private list of deb-src entries, made from the machine's own
# deb entries (one-line files and deb822 stanzas alike), so that no archive
# address is written down here and the machine's mirror is the one used.
apt_dir=$dir/apt
apt_opts="-o Dir::Etc::SourceList=$apt_dir/sources.list -o Dir::Etc::SourceParts=$apt_dir/sources.list.d
 -o Dir::State::Lists=$apt_dir/lists -o Dir::Cache=$apt_dir/cache -o Debug::NoLocking=1"
apt_sources() {
    rm -rf "$apt_dir"
    mkdir -p "$apt_dir/sources.list.d" "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"
    for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [ -f "$f" ] && sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' "$f"
    done >"$apt_dir/sources.list"
    for f in /etc/apt/sources.list.d/*.sources; do
        [ -f "$f" ] || continue
        # Stanzas whose Types has "deb" become deb-src stanzas.
        awk 'BEGIN { RS = ""; ORS = "\n\n" }
             /(^|\n)Types:[^\n]*[[:space:]]deb([[:space:]]|\n|$)/ && !/(^|\n)Enabled:[[:space:]]*no/ {
                 sub(/(^|\n)Types:[^\n]*/, "\nTypes: deb-src"); print }' "$f"
    done >"$apt_dir/sources.list.d/deb-src.sources"
    say "reading the source lists of the machine's apt entries"
    # shellcheck disable=SC2086
    apt-get $apt_opts -qq update || say "apt-get update reported failures (continuing)"
}

# source_version <package>: the version apt would fetch.
source_version() {
    # shellcheck disable=SC2086
    apt-cache $apt_opts showsrc "$1" 2>/dev/null | sed -n 's/^Version: //p' | sort -V | tail -n 1
}

# fetch <package> <version>: the unpacked source tree, $src.
fetch() {
    src=$dir/$1-src
    rm -rf "$src" "$dir/fetch"
    mkdir -p "$dir/fetch"
    say "fetching the source of $1 $2 with apt-get source"
    # shellcheck disable=SC2086
    (cd "$dir/fetch" && apt-get $apt_opts -qq source --download-only "$1=$2") || return 1
    dpkg-source -x "$dir"/fetch/*.dsc "$src" >/dev/null || return 1
    rm -rf "$dir/fetch"
}

# A package's stamp records its release and options; unchanged means built.
built() { [ -f "$prefix/.stamp-$1" ] && [ "$(cat "$prefix/.stamp-$1")" = "$2" ]; }

build_ffmpeg() {
    version=$(source_version ffmpeg)
    [ -n "$version" ] || { say "apt knows no source of ffmpeg"; return 1; }
    stamp="$version $(echo "$ffmpeg_options" | tr -s ' \n' ' ')"
    built ffmpeg "$stamp" && return 0
    fetch ffmpeg "$version" || return 1
    say "building FFmpeg $version (a minute or two)"
    # shellcheck disable=SC2086
    (cd "$src" && ./configure --prefix="$prefix" $ffmpeg_options && make -j "$jobs" && make install) \
        >"$dir/ffmpeg.log" 2>&1 || { tail -n 20 "$dir/ffmpeg.log" >&2; return 1; }
    rm -rf "$src"
    echo "$stamp" >"$prefix/.stamp-ffmpeg"
}

build_sdl() {
    version=$(source_version libsdl2)
    [ -n "$version" ] || { say "apt knows no source of libsdl2"; return 1; }
    stamp="$version $(echo "$sdl_options" | tr -s ' \n' ' ')"
    built sdl "$stamp" && return 0
    fetch libsdl2 "$version" || return 1
    say "building SDL $version (audio only, about a minute)"
    # shellcheck disable=SC2086
    (cmake -S "$src" -B "$src/build" -G Ninja -DCMAKE_INSTALL_PREFIX="$prefix" $sdl_options \
        && cmake --build "$src/build" -j "$jobs" && cmake --install "$src/build") \
        >"$dir/sdl.log" 2>&1 || { tail -n 20 "$dir/sdl.log" >&2; return 1; }
    rm -rf "$src"
    echo "$stamp" >"$prefix/.stamp-sdl"
}

"$here/scripts/install-deps.sh" "$here/deps/audio-static-packages.txt"
mkdir -p "$prefix"
apt_sources
build_ffmpeg || { say "FFmpeg could not be built (see $dir/ffmpeg.log)"; exit 1; }
build_sdl || { say "SDL2 could not be built (see $dir/sdl.log)"; exit 1; }
