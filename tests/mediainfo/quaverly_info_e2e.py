#!/usr/bin/env python3
"""End-to-end checks of quaverly-info: runs the built program on files made
by the real encoders (lame, twolame, ffmpeg, oggenc, sox) and on byte-built,
missing and damaged files, parses its JSON lines and compares the fields with
what the encoders were asked for.

usage: quaverly_info_e2e.py TOOL [unittest arguments...]
"""
import json
import math
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest

TOOL = None

STREAM_KEYS = ["Result", "FileName", "FileSize", "SampleRate", "BitRate", "BitsPerSample", "Duration",
               "Channels", "Title"]
ID3V1_KEYS = ["Exists", "VersionID", "Title", "Artist", "Album", "Year", "Comment", "Track", "GenreID", "Genre"]
ID3V2_KEYS = ["Exists", "VersionID", "Size", "Title", "Artist", "Album", "Track", "TrackText", "Year", "Genre",
              "Comment", "Composer", "Encoder", "Copyright", "Language", "Link"]
MPEG_KEYS = ["ReadInfo", "IsValid", "FileLength", "VendorID", "VBR", "Frame", "SampleRate", "BitRate", "Duration",
             "ChannelModeText", "ID3v1", "ID3v2"]
VBR_KEYS = ["Found", "ID", "Frames", "Bytes", "Scale", "VendorID"]
FRAME_KEYS = ["Found", "Position", "Size", "Xing", "VersionID", "LayerID", "ProtectionBit", "BitRateID",
              "SampleRateID", "PaddingBit", "PrivateBit", "ModeID", "ModeExtensionID", "CopyrightBit",
              "OriginalBit", "EmphasisID"]
OGG_KEYS = ["ReadInfo", "IsValid", "FileSize", "Channels", "SampleRate", "BitRateNominal", "Samples", "ID3v2Size",
            "Title", "Artist", "Album", "Track", "Date", "Genre", "Comment", "Vendor", "Duration", "BitRate"]
WMA_KEYS = ["ReadInfo", "IsValid", "FileSize", "Channels", "SampleRate", "Duration", "BitRate", "Title", "Artist",
            "Album", "Track", "Year", "Genre", "Comment"]
WAV_KEYS = ["ReadInfo", "IsValid", "Channels", "SampleRate", "BitsPerSample", "FileSize", "Duration"]


def run(*args):
    """Runs the tool; returns (exit status, parsed lines, standard error)."""
    done = subprocess.run([TOOL, *args], capture_output=True, timeout=60)
    out = done.stdout.decode("utf-8")
    lines = [json.loads(line) for line in out.splitlines()]
    return done.returncode, lines, done.stderr.decode("utf-8", "replace")


def tool(name):
    return shutil.which(name) is not None


def make(cmd):
    subprocess.run(cmd, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120)


class Fixtures(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.dir = tempfile.mkdtemp(prefix="quaverly-info-e2e-")

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.dir, ignore_errors=True)

    @classmethod
    def path(cls, name):
        return os.path.join(cls.dir, name)

    def tone(self, name, rate, channels, seconds, bits=16):
        if not tool("sox"):
            self.skipTest("sox is needed")
        out = self.path(name)
        make(["sox", "-n", "-r", str(rate), "-c", str(channels), "-b", str(bits), out,
              "synth", str(seconds), "sine", "440"])
        return out

    def info(self, *files, reader=None):
        args = (["--reader", reader] if reader else []) + list(files)
        status, lines, err = run(*args)
        self.assertEqual(0, status, err)
        self.assertEqual(len(files), len(lines))
        for f, line in zip(files, lines):
            self.assertEqual(f, line["File"])
        return lines if len(lines) > 1 else lines[0]

    def assertKeys(self, keys, obj):
        self.assertEqual(keys, list(obj.keys()))

    def assertStream(self, line, rate, kbits, channels, ms, tolerance_ms, title, bits=16):
        s = line["StreamInfo"]
        self.assertKeys(STREAM_KEYS, s)
        self.assertTrue(s["Result"])
        self.assertEqual(line["File"], s["FileName"])
        self.assertEqual(os.path.getsize(line["File"]), s["FileSize"])
        self.assertEqual(rate, s["SampleRate"])
        if kbits is not None:
            self.assertEqual(kbits, s["BitRate"])
        self.assertEqual(bits, s["BitsPerSample"])
        self.assertEqual(channels, s["Channels"])
        self.assertLessEqual(abs(s["Duration"] - ms), tolerance_ms, s)
        self.assertEqual(title, s["Title"])


class Mpeg(Fixtures):
    def assertMpegShape(self, m):
        self.assertKeys(MPEG_KEYS, m)
        self.assertKeys(VBR_KEYS, m["VBR"])
        self.assertKeys(FRAME_KEYS, m["Frame"])
        self.assertKeys(ID3V1_KEYS, m["ID3v1"])
        self.assertKeys(ID3V2_KEYS, m["ID3v2"])

    def test_lame_cbr_with_both_tags(self):
        if not tool("lame"):
            self.skipTest("lame is needed")
        wav = self.tone("s44.wav", 44100, 2, 2)
        mp3 = self.path("cbr.mp3")
        make(["lame", "--quiet", "-b", "128", "-m", "s", "--add-id3v2", "--tt", "Lame Title", "--ta", "Lame Artist",
              "--tl", "Album", "--ty", "2003", "--tn", "4/9", "--tg", "Rock", "--tc", "A comment", wav, mp3])
        line = self.info(mp3)
        # Tags are not consulted for the title the player shows.
        self.assertStream(line, 44100, 128, 2, 2000, 100, "cbr.mp3")
        m = line["MpegInfo"]
        self.assertMpegShape(m)
        self.assertTrue(m["ReadInfo"] and m["IsValid"])
        self.assertEqual("Stereo", m["ChannelModeText"])
        self.assertEqual(3, m["Frame"]["VersionID"])   # MPEG 1
        self.assertEqual(1, m["Frame"]["LayerID"])     # layer III
        self.assertEqual(os.path.getsize(mp3), m["FileLength"])
        self.assertAlmostEqual(line["StreamInfo"]["Duration"] / 1000, m["Duration"], delta=0.0005)
        for tag in (m["ID3v1"], m["ID3v2"]):
            self.assertTrue(tag["Exists"])
            self.assertEqual("Lame Title", tag["Title"])
            self.assertEqual("Lame Artist", tag["Artist"])
            self.assertEqual("Album", tag["Album"])
            self.assertEqual("2003", tag["Year"])
            self.assertEqual(4, tag["Track"])
            self.assertEqual("A comment", tag["Comment"])
        self.assertEqual("Rock", m["ID3v1"]["Genre"])
        self.assertEqual(17, m["ID3v1"]["GenreID"])
        self.assertEqual("4/9", m["ID3v2"]["TrackText"])
        self.assertGreater(m["ID3v2"]["Size"], 10)

        v1 = self.info(mp3, reader="id3v1")
        self.assertEqual(["File", "ID3v1"], list(v1.keys()))
        self.assertKeys(["ReadInfo"] + ID3V1_KEYS, v1["ID3v1"])
        self.assertEqual("Lame Title", v1["ID3v1"]["Title"])
        v2 = self.info(mp3, reader="id3v2")
        self.assertKeys(["ReadInfo"] + ID3V2_KEYS, v2["ID3v2"])
        self.assertEqual("Lame Artist", v2["ID3v2"]["Artist"])

    def test_lame_vbr_and_abr_at_mpeg1_2_and_25_rates(self):
        if not tool("lame"):
            self.skipTest("lame is needed")
        for rate, version in ((48000, 3), (22050, 2), (16000, 2), (11025, 0), (8000, 0)):
            wav = self.tone(f"m{rate}.wav", rate, 1, 3)
            vbr = self.path(f"vbr{rate}.mp3")
            abr = self.path(f"abr{rate}.mp3")
            khz = f"{rate / 1000:g}"
            make(["lame", "--quiet", "-V", "4", "--resample", khz, wav, vbr])
            make(["lame", "--quiet", "--abr", "48", "--resample", khz, wav, abr])
            for f in (vbr, abr):
                line = self.info(f)
                self.assertStream(line, rate, None, 1, 3000, 200, os.path.basename(f))
                m = line["MpegInfo"]
                self.assertMpegShape(m)
                self.assertEqual("Mono", m["ChannelModeText"])
                self.assertEqual(version, m["Frame"]["VersionID"], f)
                self.assertTrue(m["VBR"]["Found"], f)
                self.assertEqual("Xing", m["VBR"]["ID"])
                self.assertTrue(m["VBR"]["VendorID"].startswith("LAME"))
                # The average rate is the bytes over the frames' playing time.
                seconds = m["Duration"]
                self.assertEqual(round(m["VBR"]["Bytes"] * 8 / seconds / 1000), m["BitRate"], f)

    def test_mp2_from_twolame_and_ffmpeg(self):
        cases = []
        if tool("twolame"):
            wav = self.tone("s48.wav", 48000, 2, 2)
            cases.append((["twolame", "--quiet", "-b", "192", wav, self.path("two.mp2")], "two.mp2", 48000, 192, 2))
        if tool("ffmpeg"):
            cases.append((["ffmpeg", "-nostdin", "-y", "-f", "lavfi", "-i",
                           "sine=frequency=440:sample_rate=32000:duration=2", "-ac", "1", "-c:a", "mp2",
                           "-b:a", "64k", self.path("ff.mp2")], "ff.mp2", 32000, 64, 1))
        if not cases:
            self.skipTest("twolame or ffmpeg is needed")
        for cmd, name, rate, kbits, channels in cases:
            make(cmd)
            line = self.info(self.path(name))
            self.assertStream(line, rate, kbits, channels, 2000, 100, name)
            self.assertEqual(2, line["MpegInfo"]["Frame"]["LayerID"])  # layer II

    def test_byte_built_mp1(self):
        # MPEG 1 layer I, 128 kbit/s, 44 100 Hz, stereo: frames of 136 bytes.
        header = bytes([0xFF, 0xFF, 0x40, 0x00])
        frame = header + bytes(136 - 4)
        f = self.path("built.MP1")
        with open(f, "wb") as out:
            out.write(frame * 200)
        line = self.info(f)
        self.assertStream(line, 44100, 128, 2, 1700, 60, "built.MP1")
        self.assertEqual(3, line["MpegInfo"]["Frame"]["LayerID"])  # layer I

    def test_latin1_tag_bytes_are_written_as_their_characters(self):
        frame = bytes([0xFF, 0xFB, 0x90, 0x40]) + bytes(413)
        tag = bytearray(128)
        tag[0:3] = b"TAG"
        tag[3:8] = b"Caf\xe9!"
        tag[33:36] = b"A\x00B"
        f = self.path("latin1.mp3")
        with open(f, "wb") as out:
            out.write(frame * 20 + bytes(tag))
        v1 = self.info(f, reader="id3v1")["ID3v1"]
        self.assertEqual("Caf\u00e9!", v1["Title"])
        self.assertTrue(v1["Exists"])


class Ogg(Fixtures):
    def test_oggenc_with_comments(self):
        if not tool("oggenc"):
            self.skipTest("oggenc is needed")
        wav = self.tone("s44.wav", 44100, 2, 3)
        ogg = self.path("enc.ogg")
        make(["oggenc", "-Q", "-b", "128", "-t", "Título", "-a", "Artist", "-l", "Album", "-N", "7/10",
              "-d", "2020", "-G", "Jazz", "-c", "COMMENT=Words", "-o", ogg, wav])
        line = self.info(ogg)
        self.assertStream(line, 44100, None, 2, 3000, 0, "Título")
        o = line["OggInfo"]
        self.assertKeys(OGG_KEYS, o)
        self.assertTrue(o["ReadInfo"] and o["IsValid"])
        self.assertEqual(132300, o["Samples"])
        self.assertEqual(3.0, o["Duration"])
        self.assertEqual(128, o["BitRateNominal"])
        self.assertEqual(0, o["ID3v2Size"])
        self.assertEqual(round(os.path.getsize(ogg) / 3.0 / 125), o["BitRate"])
        self.assertEqual(o["BitRate"], line["StreamInfo"]["BitRate"])
        self.assertEqual(("Artist", "Album", 7, "2020", "Jazz", "Words"),
                         (o["Artist"], o["Album"], o["Track"], o["Date"], o["Genre"], o["Comment"]))
        self.assertIn("Xiph.Org", o["Vendor"])

    def test_ffmpeg_vorbis_mono(self):
        if not tool("ffmpeg"):
            self.skipTest("ffmpeg is needed")
        ogg = self.path("ff.ogg")
        make(["ffmpeg", "-nostdin", "-y", "-f", "lavfi", "-i", "sine=frequency=440:sample_rate=48000:duration=2",
              "-ac", "1", "-c:a", "libvorbis", "-q:a", "2", "-metadata", "title=FF Ogg", "-metadata",
              "artist=Someone", ogg])
        line = self.info(ogg)
        self.assertStream(line, 48000, None, 1, 2000, 5, "FF Ogg")
        self.assertEqual("Someone", line["OggInfo"]["Artist"])
        untitled = self.path("untitled.ogg")
        make(["ffmpeg", "-nostdin", "-y", "-f", "lavfi", "-i", "sine=sample_rate=22050:duration=1", "-c:a",
              "libvorbis", untitled])
        self.assertEqual("untitled.ogg", self.info(untitled)["StreamInfo"]["Title"])

    def test_nul_bytes_in_a_comment_are_kept(self):
        vendor = b"v"
        comment = b"TITLE=a\x00b"
        ident = b"\x01vorbis" + struct.pack("<IBIiiiBB", 0, 2, 44100, 0, 128000, 0, 0xB8, 1)
        body = b"\x03vorbis" + struct.pack("<I", len(vendor)) + vendor + struct.pack("<I", 1)
        body += struct.pack("<I", len(comment)) + comment + b"\x01"

        def page(granule, segments):
            return b"OggS\x00\x00" + struct.pack("<qIII", granule, 1, 0, 0) + bytes([segments]) + b"\xff" * segments

        data = page(0, 1) + ident + page(0, 1) + body
        data += bytes(20000 - len(data)) + page(441000, 1) + bytes(100)
        f = self.path("nul.ogg")
        with open(f, "wb") as out:
            out.write(data)
        o = self.info(f, reader="ogg")["OggInfo"]
        self.assertEqual("a\x00b", o["Title"])
        self.assertEqual(10.0, o["Duration"])


class Wma(Fixtures):
    def test_ffmpeg_wma_with_metadata(self):
        if not tool("ffmpeg"):
            self.skipTest("ffmpeg is needed")
        for codec, rate, channels, kbits in (("wmav2", 44100, 2, 128), ("wmav1", 22050, 1, 32)):
            wma = self.path(f"{codec}.wma")
            make(["ffmpeg", "-nostdin", "-y", "-f", "lavfi", "-i",
                  f"sine=frequency=440:sample_rate={rate}:duration=4", "-ac", str(channels), "-c:a", codec,
                  "-b:a", f"{kbits}k", "-metadata", f"title=Wma {codec} 歌", "-metadata", "artist=Someone",
                  "-metadata", "WM/AlbumTitle=Album", "-metadata", "WM/Track=5", "-metadata", "WM/Year=1999",
                  "-metadata", "WM/Genre=Pop", "-metadata", "WM/Description=Note", wma])
            line = self.info(wma)
            # The duration is estimated from the file size and the maximum bit
            # rate, so it is only near the real one.
            self.assertStream(line, rate, kbits, channels, 4000, 1200, f"Wma {codec} 歌")
            w = line["WmaInfo"]
            self.assertKeys(WMA_KEYS, w)
            self.assertTrue(w["ReadInfo"] and w["IsValid"])
            self.assertEqual(("Someone", "Album", 5, "1999", "Pop", "Note"),
                             (w["Artist"], w["Album"], w["Track"], w["Year"], w["Genre"], w["Comment"]))
            self.assertEqual(line["StreamInfo"]["Duration"], round(w["Duration"] * 1000))
            self.assertEqual(w, self.info(wma, reader="wma")["WmaInfo"])


class Wav(Fixtures):
    def test_sox_and_ffmpeg_wav(self):
        cases = [(self.tone("m22.wav", 22050, 1, 1.5), 22050, 1, 16, 1500),
                 (self.tone("s8.wav", 11025, 2, 2, bits=8), 11025, 2, 8, 2000)]
        if tool("ffmpeg"):
            f = self.path("ff.wav")
            make(["ffmpeg", "-nostdin", "-y", "-f", "lavfi", "-i", "sine=sample_rate=48000:duration=1", "-ac", "2",
                  "-fflags", "+bitexact", "-c:a", "pcm_s16le", f])
            cases.append((f, 48000, 2, 16, 1000))
        for f, rate, channels, bits, ms in cases:
            line = self.info(f)
            self.assertStream(line, rate, rate * bits // 1000, channels, ms, 1, os.path.basename(f), bits=bits)
            w = line["WavInfo"]
            self.assertKeys(WAV_KEYS, w)
            # The duration reads back to exactly the double the reader computed.
            self.assertEqual((w["FileSize"] - 44) * 8 / rate / bits / channels, w["Duration"])


class Errors(Fixtures):
    def test_missing_damaged_and_unknown_files(self):
        garbage = os.urandom(5000)
        names = []
        for ext in ("mp3", "ogg", "wma", "wav", "MP2"):
            names.append(self.path("garbage." + ext))
            with open(names[-1], "wb") as out:
                out.write(garbage)
        status, lines, err = run(*names)
        self.assertEqual(0, status, err)
        self.assertEqual(names, [line["File"] for line in lines])
        keys = ["MpegInfo", "OggInfo", "WmaInfo", "WavInfo", "MpegInfo"]
        for key, line in zip(keys, lines):
            self.assertEqual(["File", "StreamInfo", key], list(line.keys()))
            self.assertFalse(line["StreamInfo"]["Result"])
            self.assertEqual(16, line["StreamInfo"]["BitsPerSample"])
            self.assertEqual("", line["StreamInfo"]["Title"])
            self.assertFalse(line[key]["IsValid"])
        self.assertFalse(lines[1]["OggInfo"]["ReadInfo"])  # no Ogg page
        self.assertTrue(lines[2]["WmaInfo"]["ReadInfo"])   # read, but no ASF header
        self.assertTrue(lines[3]["WavInfo"]["ReadInfo"])

        # No reader for the extension: no reader object.
        other = self.path("notes.txt")
        with open(other, "wb") as out:
            out.write(b"hello")
        status, lines, _ = run(other)
        self.assertEqual(0, status)
        self.assertEqual(["File", "StreamInfo"], list(lines[0].keys()))

        # A file that cannot be opened gives an error object and status 1,
        # and the files after it are still read.
        missing = self.path("missing.ogg")
        status, lines, err = run(names[0], missing, self.dir + "/", names[3])
        self.assertEqual(1, status)
        # Every failure is also said on stderr, one line each.
        self.assertEqual(1, len([l for l in err.splitlines() if "missing.ogg" in l]), err)
        self.assertEqual(4, len(lines))
        self.assertEqual(["Error"], list(lines[1]["OggInfo"].keys()))
        self.assertIn("missing.ogg", lines[1]["OggInfo"]["Error"])
        self.assertFalse(lines[1]["StreamInfo"]["Result"])
        self.assertEqual(["File", "StreamInfo"], list(lines[2].keys()))  # a folder name has no extension

        # With no reader for the extension, a file that cannot be opened still fails the run,
        # and the reason goes to stderr since no reader object can carry it.
        status, lines, err = run(self.path("missing.txt"), other)
        self.assertEqual(1, status)
        self.assertEqual(2, len(lines))
        self.assertEqual(["File", "StreamInfo"], list(lines[0].keys()))
        self.assertIn("missing.txt", err)
        for reader, key in (("mpeg", "MpegInfo"), ("id3v1", "ID3v1"), ("id3v2", "ID3v2"), ("ogg", "OggInfo"),
                            ("wma", "WmaInfo"), ("wav", "WavInfo")):
            status, lines, err = run("--reader", reader, missing, names[0])
            self.assertEqual(1, status, reader)
            self.assertIn("missing.ogg", err, reader)
            self.assertEqual({"File": missing, key: lines[0][key]}, lines[0])
            self.assertEqual(["Error"], list(lines[0][key].keys()))
            self.assertEqual(["File", key], list(lines[1].keys()))

    def test_help_prints_the_usage_and_reads_no_file(self):
        for flag in ("--help", "-h"):
            done = subprocess.run([TOOL, flag], capture_output=True, timeout=60)
            self.assertEqual(0, done.returncode, flag)
            self.assertTrue(done.stdout.decode().startswith("usage: quaverly-info "), flag)
            self.assertEqual(b"", done.stderr, flag)

    def test_usage_errors(self):
        for args in ([], ["--reader"], ["--reader", "flac", "x"], ["--reader", "ogg"], ["--verbose", "x"]):
            status, lines, err = run(*args)
            self.assertEqual(2, status, args)
            self.assertEqual([], lines)
            self.assertIn("usage", err)


if __name__ == "__main__":
    TOOL = os.path.abspath(sys.argv[1])
    unittest.main(argv=[sys.argv[0]] + sys.argv[2:], verbosity=2)
