#!/usr/bin/env python3
"""Writes the button click sound, pellanor/res/button01.wav.

A soft "tick" of 40 ms: two bright partials and a lower body tone that die
away within a few milliseconds, over a short burst of noise for the attack.
A 1 ms fade-in and a fade-out to silence keep the start and the end from
popping. 22050 Hz, 16-bit PCM, mono. The output is the same on every run
(the noise comes from a fixed-seed generator), so the file can be
regenerated and compared.

usage: gen-sounds.py [OUTPUT.wav]
"""

import math
import os
import struct
import sys
import wave

RATE = 22050
DURATION = 0.040          # seconds
PEAK = 0.45               # of full scale: a click, not a bang
ATTACK = 0.001            # raised-cosine fade-in
RELEASE = 0.010           # raised-cosine fade-out at the end

# (frequency in Hz, amplitude, decay time constant in seconds)
PARTIALS = [
    (3150.0, 0.50, 0.0035),
    (2050.0, 0.35, 0.0055),
    (880.0, 0.30, 0.0090),
]
NOISE = (0.35, 0.0015)    # amplitude, decay time constant


def noise_source(seed=0x2F6E2B1):
    """Uniform values in [-1, 1) from a 32-bit linear congruential generator."""
    state = seed
    while True:
        state = (1664525 * state + 1013904223) & 0xFFFFFFFF
        yield state / 2147483648.0 - 1.0


def fade(t, length, rising):
    if length <= 0:
        return 1.0
    x = min(max(t / length, 0.0), 1.0)
    gain = 0.5 - 0.5 * math.cos(math.pi * x)
    return gain if rising else 1.0 - gain


def click_samples():
    count = int(round(RATE * DURATION))
    noise = noise_source()
    smoothed = 0.0
    raw = []
    for n in range(count):
        t = n / RATE
        value = sum(a * math.exp(-t / tau) * math.sin(2 * math.pi * f * t)
                    for f, a, tau in PARTIALS)
        # One-pole low-pass takes the hiss off the noise burst.
        smoothed += 0.45 * (next(noise) - smoothed)
        value += NOISE[0] * math.exp(-t / NOISE[1]) * smoothed
        value *= fade(t, ATTACK, True)
        value *= fade(t - (DURATION - RELEASE), RELEASE, False)
        raw.append(value)
    scale = PEAK / max(abs(v) for v in raw)
    return [int(round(v * scale * 32767)) for v in raw]


def write_wav(path, samples):
    os.makedirs(os.path.dirname(os.path.abspath(path)), exist_ok=True)
    with wave.open(path, "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(struct.pack("<%dh" % len(samples), *samples))


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    default = os.path.join(here, "..", "pellanor", "res", "button01.wav")
    path = argv[0] if argv else os.path.normpath(default)
    samples = click_samples()
    write_wav(path, samples)
    print("%s: %d samples, %.0f ms at %d Hz" % (path, len(samples),
                                                 1000.0 * len(samples) / RATE,
                                                 RATE))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
