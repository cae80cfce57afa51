#!/usr/bin/env python3
"""Writes the demo's sample recording: 30 s of mono 16-bit PCM at 22050 Hz,
"phrases" of a few tones with pauses between them, like dictation has.
Usage: sample-recording.py OUT.wav"""
import math
import struct
import sys
import wave

RATE = 22050
SECONDS = 30


def sample(t):
    phrase = t % 3.0
    if phrase > 2.2:  # a pause after every phrase
        return 0.0
    pitch = 180 + 40 * math.sin(2 * math.pi * 0.7 * t) + 30 * int(t * 4 % 3)
    envelope = math.sin(math.pi * min(phrase / 2.2, 1.0))
    return 0.35 * envelope * (math.sin(2 * math.pi * pitch * t) + 0.3 * math.sin(4 * math.pi * pitch * t))


with wave.open(sys.argv[1], "wb") as out:
    out.setnchannels(1)
    out.setsampwidth(2)
    out.setframerate(RATE)
    frames = bytearray()
    for i in range(RATE * SECONDS):
        frames += struct.pack("<h", int(32767 * max(-1.0, min(1.0, sample(i / RATE)))))
    out.writeframes(bytes(frames))
