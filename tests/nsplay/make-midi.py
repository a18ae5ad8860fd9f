#!/usr/bin/env python3
"""Writes a standard MIDI file (format 0, 96 ticks a quarter, 120 beats a
minute) of the given length in whole seconds: a piano playing eighth notes up
and down a scale, with a one-second chord at the end.

usage: make-midi.py OUT SECONDS
"""
import struct
import sys


def var_len(n):
    out = [n & 0x7F]
    n >>= 7
    while n:
        out.insert(0, (n & 0x7F) | 0x80)
        n >>= 7
    return bytes(out)


def main():
    path, seconds = sys.argv[1], int(sys.argv[2])
    if seconds < 2:
        raise SystemExit("at least 2 seconds")
    eighth = 48  # ticks; 0.25 s at 120 beats a minute
    scale = [60, 62, 64, 65, 67, 69, 71, 72, 71, 69, 67, 65, 64, 62]
    ev = bytearray()
    ev += var_len(0) + bytes([0xFF, 0x51, 3]) + (500000).to_bytes(3, "big")
    ev += var_len(0) + bytes([0xC0, 0])  # acoustic grand piano
    for i in range((seconds - 1) * 4):
        note = scale[i % len(scale)]
        ev += var_len(0) + bytes([0x90, note, 100])
        ev += var_len(eighth) + bytes([0x80, note, 0])
    chord = [60, 64, 67]
    for n in chord:
        ev += var_len(0) + bytes([0x90, n, 100])
    for k, n in enumerate(chord):
        ev += var_len(4 * eighth if k == 0 else 0) + bytes([0x80, n, 0])
    ev += var_len(0) + bytes([0xFF, 0x2F, 0])
    with open(path, "wb") as f:
        f.write(b"MThd" + struct.pack(">IHHH", 6, 0, 1, 96))
        f.write(b"MTrk" + struct.pack(">I", len(ev)) + ev)


main()
