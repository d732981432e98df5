#!/usr/bin/env python3
"""Synthesises the game's five sampled sounds and writes Ordnix/Sounds.h and Ordnix/Sounds.cpp.

Every sound is built from filtered noise, swept sines, formant resonators and a seeded random generator of its own,
so the output is the same on every run. Each sound is synthesised at four times its own rate, low-pass filtered and
decimated, normalised, and stored in the game's 8-bit format:

    bytes 0-1  N, big-endian: rate numerator
    bytes 2-3  D, big-endian: rate denominator
    bytes 4-7  big-endian count of the bytes that follow byte 7
    bytes 8-   unsigned 8-bit samples, 128 = silence

The player plays source sample floor(i * step) at output frame i, where step = floor(N * 65536 / (D * 256)) / 65536
and the output runs at 22254.5454 Hz, so a sound's own rate is step * 22254.5454 Hz.

Usage: tools/gensounds.py [--wav DIR]   (--wav also writes each sound as an 8-bit WAV file for listening)
"""

import argparse
import base64
import math
import os
import struct
import sys

OUTPUT_RATE = 22254.5454
OVERSAMPLE = 4

# id, name, N, D, decoded bytes, base64 characters, frames at the output rate
TABLE = [
    (128, "cannon", 122, 1, 6593, 8792, 13821),
    (129, "ground", 197, 4, 4448, 5932, 23089),
    (130, "uhOh", 302, 3, 5841, 7788, 14839),
    (131, "building", 143, 2, 11123, 14832, 39803),
    (132, "tree", 256, 4, 9848, 13132, 39368),
]


def step_of(n, d):
    divisor = (d * 256) or 1
    return ((n * 65536) // divisor & 0xFFFFFFFF) / 65536.0


class Random:
    """xorshift32: the same numbers on every platform and Python version."""

    def __init__(self, seed):
        self.state = seed & 0xFFFFFFFF or 1

    def next(self):
        x = self.state
        x ^= (x << 13) & 0xFFFFFFFF
        x ^= x >> 17
        x ^= (x << 5) & 0xFFFFFFFF
        self.state = x
        return x

    def uniform(self, low=0.0, high=1.0):
        return low + (high - low) * (self.next() / 4294967296.0)

    def noise(self, count):
        return [self.uniform(-1.0, 1.0) for _ in range(count)]


# ---- building blocks (all at the oversampled rate fs) ----

def env_exp(t, start, attack, decay):
    """0 before start, linear rise over attack seconds, then exponential decay with time constant decay."""
    if t < start:
        return 0.0
    u = t - start
    if u < attack:
        return u / attack
    return math.exp(-(u - attack) / decay)


def biquad(x, fs, kind, freq, q):
    """RBJ biquad; freq may be a function of time for a sweep (coefficients are recomputed every 16 samples)."""
    y = [0.0] * len(x)
    x1 = x2 = y1 = y2 = 0.0
    b0 = b1 = b2 = a1 = a2 = 0.0
    for i, xi in enumerate(x):
        if i % 16 == 0:
            f = freq(i / fs) if callable(freq) else freq
            f = min(max(f, 10.0), 0.45 * fs)
            w = 2.0 * math.pi * f / fs
            alpha = math.sin(w) / (2.0 * q)
            cw = math.cos(w)
            a0 = 1.0 + alpha
            if kind == "low":
                b0, b1, b2 = (1.0 - cw) / 2.0, 1.0 - cw, (1.0 - cw) / 2.0
            elif kind == "high":
                b0, b1, b2 = (1.0 + cw) / 2.0, -(1.0 + cw), (1.0 + cw) / 2.0
            else:  # band-pass, 0 dB peak
                b0, b1, b2 = alpha, 0.0, -alpha
            b0, b1, b2 = b0 / a0, b1 / a0, b2 / a0
            a1, a2 = -2.0 * cw / a0, (1.0 - alpha) / a0
        yi = b0 * xi + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2
        x2, x1, y2, y1 = x1, xi, y1, yi
        y[i] = yi
    return y


def band_noise(rng, count, fs, kind, freq, q):
    """White noise through a biquad, rescaled to an RMS of 0.35 so that narrow bands are as loud as wide ones."""
    filtered = biquad(rng.noise(count), fs, kind, freq, q)
    rms = math.sqrt(sum(s * s for s in filtered) / max(1, count)) or 1.0
    return [s * 0.35 / rms for s in filtered]


def swept_sine(count, fs, freq):
    """A sine whose frequency follows freq(t), phase-continuous."""
    out = [0.0] * count
    phase = 0.0
    for i in range(count):
        out[i] = math.sin(phase)
        phase += 2.0 * math.pi * freq(i / fs) / fs
    return out


def shaped(signal, fs, envelope):
    return [s * envelope(i / fs) for i, s in enumerate(signal)]


def mix(*parts):
    out = [0.0] * len(parts[0][1])
    for gain, signal in parts:
        for i, s in enumerate(signal):
            out[i] += gain * s
    return out


def add_at(out, fs, start, signal, gain=1.0):
    first = int(start * fs)
    for i, s in enumerate(signal):
        if 0 <= first + i < len(out):
            out[first + i] += gain * s


def burst(rng, fs, length, centre, q, decay):
    """A short band-passed noise burst: one snap, impact or clod of earth."""
    count = int(length * fs)
    tone = band_noise(rng, count, fs, "band", centre, q)
    return [s * math.exp(-(i / fs) / decay) for i, s in enumerate(tone)]


def soft_clip(signal, drive):
    return [math.tanh(drive * s) / math.tanh(drive) for s in signal]


# ---- the five sounds ----

def cannon(rng, fs, count):
    # A sharp crack, a falling low thump and a rumbling tail.
    crack = shaped(band_noise(rng, count, fs, "low", lambda t: 500.0 + 4000.0 * math.exp(-t / 0.025), 0.7), fs,
                   lambda t: env_exp(t, 0.0, 0.001, 0.04))
    rumble = shaped(band_noise(rng, count, fs, "low", 260.0, 0.8), fs, lambda t: env_exp(t, 0.004, 0.015, 0.2))
    thump = shaped(swept_sine(count, fs, lambda t: 55.0 + 110.0 * math.exp(-t / 0.03)), fs,
                   lambda t: env_exp(t, 0.0, 0.002, 0.12))
    return soft_clip(mix((1.6, crack), (1.4, rumble), (0.6, thump)), 2.5)


def ground(rng, fs, count):
    # A muffled thud in the earth, then clods falling back.
    duration = count / fs
    blast = shaped(band_noise(rng, count, fs, "low", lambda t: 220.0 + 900.0 * math.exp(-t / 0.05), 0.8), fs,
                   lambda t: env_exp(t, 0.0, 0.003, 0.08))
    rumble = shaped(band_noise(rng, count, fs, "low", 170.0, 0.8), fs, lambda t: env_exp(t, 0.01, 0.03, 0.28))
    thud = shaped(swept_sine(count, fs, lambda t: 48.0 + 60.0 * math.exp(-t / 0.04)), fs,
                  lambda t: env_exp(t, 0.0, 0.004, 0.1))
    out = mix((1.8, blast), (1.0, rumble), (0.5, thud))
    t = 0.12
    while t < duration - 0.12:
        strength = math.exp(-(t - 0.12) / 0.3) * rng.uniform(0.3, 1.0)
        add_at(out, fs, t, burst(rng, fs, 0.03, rng.uniform(400.0, 1200.0), 1.5, 0.008), 0.9 * strength)
        t += rng.uniform(0.01, 0.03) + 0.12 * (t - 0.12)
    return soft_clip(out, 2.0)


def uh_oh(rng, fs, count):
    # Two vowels, "uh" then a lower, falling "oh", from a glottal pulse train through three formant resonators.
    syllables = [
        # start, end, pitch at start and end, formants (F1, F2, F3) at start and end
        (0.03, 0.24, 235.0, 220.0, (700.0, 1220.0, 2600.0), (680.0, 1180.0, 2550.0)),
        (0.31, 0.63, 185.0, 120.0, (520.0, 900.0, 2500.0), (380.0, 720.0, 2400.0)),
    ]
    bandwidths = (90.0, 110.0, 170.0)
    out = [0.0] * count
    for start, end, pitch0, pitch1, formants0, formants1 in syllables:
        length = end - start
        first, last = int(start * fs), min(count, int(end * fs))
        phase = 0.0
        source = []
        amplitude = []
        for i in range(first, last):
            u = (i / fs - start) / length
            vibrato = 1.0 + 0.012 * math.sin(2.0 * math.pi * 5.5 * (i / fs))
            phase += (pitch0 + (pitch1 - pitch0) * u) * vibrato / fs
            phase -= math.floor(phase)
            # Derivative of a Rosenberg glottal pulse: opening over 60% of the period, closing over 20%.
            if phase < 0.6:
                pulse = math.sin(math.pi * phase / 0.6)
            elif phase < 0.8:
                pulse = -2.0 * math.sin(math.pi * (phase - 0.6) / 0.4)
            else:
                pulse = 0.0
            source.append(pulse + 0.04 * rng.uniform(-1.0, 1.0))
            amplitude.append(min(1.0, u / 0.1) * min(1.0, (1.0 - u) / 0.18))
        voice = source
        for f in range(3):
            state = [0.0, 0.0]
            filtered = []
            for j, s in enumerate(voice):
                u = j / max(1, len(voice) - 1)
                freq = formants0[f] + (formants1[f] - formants0[f]) * u
                c = -math.exp(-2.0 * math.pi * bandwidths[f] / fs)
                b = 2.0 * math.exp(-math.pi * bandwidths[f] / fs) * math.cos(2.0 * math.pi * freq / fs)
                a = 1.0 - b - c
                y = a * s + b * state[0] + c * state[1]
                state = [y, state[0]]
                filtered.append(y)
            voice = filtered
        for j, s in enumerate(voice):
            out[first + j] += s * amplitude[j]
    return out


def building(rng, fs, count):
    # A blast with two after-blasts, a long rumble and crumbling masonry.
    duration = count / fs
    out = [0.0] * count
    for start, gain in ((0.0, 1.0), (0.13, 0.65), (0.32, 0.5)):
        blast = shaped(band_noise(rng, count, fs, "low",
                                  lambda t, s=start: 350.0 + 3000.0 * math.exp(-max(0.0, t - s) / 0.04), 0.7),
                       fs, lambda t, s=start: env_exp(t, s, 0.002, 0.09))
        thump = shaped(swept_sine(count, fs, lambda t, s=start: 45.0 + 80.0 * math.exp(-max(0.0, t - s) / 0.04)),
                       fs, lambda t, s=start: env_exp(t, s, 0.003, 0.15))
        out = mix((1.0, out), (1.8 * gain, blast), (0.5 * gain, thump))
    rumble = shaped(band_noise(rng, count, fs, "low", 200.0, 0.8), fs, lambda t: env_exp(t, 0.01, 0.05, 0.5))
    out = mix((1.0, out), (1.2, rumble))
    t = 0.3
    while t < duration - 0.15:
        strength = math.exp(-(t - 0.3) / 0.5) * rng.uniform(0.2, 1.0)
        add_at(out, fs, t, burst(rng, fs, 0.05, rng.uniform(250.0, 1800.0), 2.5, rng.uniform(0.006, 0.02)),
               1.2 * strength)
        t += rng.uniform(0.015, 0.05) + 0.05 * (t - 0.3)
    return soft_clip(out, 2.5)


def tree(rng, fs, count):
    # Creaking wood with snaps coming faster, a loud crack, the rush of the falling crown and the crash.
    out = [0.0] * count
    # Stick-slip creak: an irregular low pulse train growing louder.
    creak_start, creak_end = 0.05, 0.68
    t = creak_start
    while t < creak_end:
        u = (t - creak_start) / (creak_end - creak_start)
        add_at(out, fs, t, burst(rng, fs, 0.012, rng.uniform(350.0, 600.0), 4.0, 0.004), 0.15 + 0.3 * u)
        t += 1.0 / (70.0 - 25.0 * u) * rng.uniform(0.7, 1.3)
    # Snaps: the gaps shrink as the trunk gives way.
    t, gap = 0.08, 0.16
    while t < 0.68:
        add_at(out, fs, t, burst(rng, fs, 0.04, rng.uniform(900.0, 2200.0), 3.0, 0.007), rng.uniform(0.8, 1.4))
        t += gap * rng.uniform(0.7, 1.2)
        gap = max(0.025, gap * 0.8)
    # The big crack.
    add_at(out, fs, 0.7, burst(rng, fs, 0.12, 1400.0, 0.7, 0.03), 3.0)
    add_at(out, fs, 0.7, burst(rng, fs, 0.12, 500.0, 1.5, 0.04), 1.5)
    # The crown rushing down.
    fall_start, fall_end = 0.78, 1.3
    rush = band_noise(rng, count, fs, "band",
                      lambda t: 300.0 + 1500.0 * min(1.0, max(0.0, (t - fall_start) / (fall_end - fall_start))), 1.2)

    def rush_envelope(t):
        if t < fall_start or t > fall_end + 0.05:
            return 0.0
        return ((t - fall_start) / (fall_end - fall_start)) ** 2 if t < fall_end else 1.0 - (t - fall_end) / 0.05

    out = mix((1.0, out), (1.5, shaped(rush, fs, rush_envelope)))
    # The crash: trunk thump, earth and breaking branches.
    crash = 1.3
    thump = shaped(swept_sine(count, fs, lambda t: 50.0 + 60.0 * math.exp(-max(0.0, t - crash) / 0.04)), fs,
                   lambda t: env_exp(t, crash, 0.004, 0.12))
    earth = shaped(band_noise(rng, count, fs, "low", 450.0, 0.8), fs, lambda t: env_exp(t, crash, 0.003, 0.12))
    out = mix((1.0, out), (0.7, thump), (2.0, earth))
    t = crash
    while t < crash + 0.4:
        strength = math.exp(-(t - crash) / 0.15)
        add_at(out, fs, t, burst(rng, fs, 0.03, rng.uniform(700.0, 2500.0), 2.5, 0.005), 1.2 * strength)
        t += rng.uniform(0.008, 0.03)
    return soft_clip(out, 2.0)


SYNTHS = {"cannon": (cannon, 0xC0FFEE), "ground": (ground, 0x5EED01), "uhOh": (uh_oh, 0x0B0E),
          "building": (building, 0xB1A57), "tree": (tree, 0x7EEE)}


# ---- from the oversampled signal to stored bytes ----

def decimate(signal, factor, taps=97):
    """Blackman-windowed sinc low-pass at 0.45 of the target rate, keeping every factor-th sample."""
    cutoff = 0.45 / factor
    centre = taps // 2
    kernel = []
    for k in range(taps):
        n = k - centre
        sinc = 2.0 * cutoff if n == 0 else math.sin(2.0 * math.pi * cutoff * n) / (math.pi * n)
        window = 0.42 - 0.5 * math.cos(2.0 * math.pi * k / (taps - 1)) + 0.08 * math.cos(4.0 * math.pi * k / (taps - 1))
        kernel.append(sinc * window)
    total = sum(kernel)
    kernel = [k / total for k in kernel]
    out = []
    for m in range(len(signal) // factor):
        centre_index = m * factor
        acc = 0.0
        for k, h in enumerate(kernel):
            j = centre_index + k - centre
            if 0 <= j < len(signal):
                acc += h * signal[j]
        out.append(acc)
    return out


def to_bytes(signal, rate):
    fade = int(0.03 * rate)
    peak = max(abs(s) for s in signal) or 1.0
    samples = bytearray()
    for i, s in enumerate(signal):
        gain = 0.95 / peak
        if i >= len(signal) - fade:
            gain *= (len(signal) - 1 - i) / fade
        samples.append(min(255, max(1, 128 + int(round(s * gain * 127.0)))))
    return bytes(samples)


def build(name, n, d, total):
    synth, seed = SYNTHS[name]
    rate = step_of(n, d) * OUTPUT_RATE
    count = total - 8
    signal = synth(Random(seed), rate * OVERSAMPLE, count * OVERSAMPLE)
    samples = to_bytes(decimate(signal, OVERSAMPLE), rate)
    assert len(samples) == count, (name, len(samples), count)
    return struct.pack(">HHI", n, d, count) + samples, rate


def frames_of(data):
    n, d = struct.unpack(">HH", data[:4])
    return int((len(data) - 6) / step_of(n, d))


# ---- output ----

HEADER = """#pragma once

// Generated by tools/gensounds.py; do not edit.
//
// The game's five sampled sounds, each as base64 text (standard alphabet, padded) of the bytes: N and D (big-endian
// 16-bit rate numerator and denominator), the 32-bit big-endian count of the bytes after byte 7, then unsigned 8-bit
// samples with 128 as silence.

#include <cstdint>
#include <map>
#include <string>

namespace Sounds {

%s
// Sound id -> base64 text of its bytes.
const std::map<int64_t, std::string>& base64();

} // namespace Sounds
"""


def write_sources(directory, encoded):
    constants = "".join("inline constexpr int64_t %s = %d;\n" % (name, ident) for ident, name, _ in encoded)
    with open(os.path.join(directory, "Sounds.h"), "w", newline="\n") as f:
        f.write(HEADER % constants)
    lines = ["// Generated by tools/gensounds.py; do not edit.", "", '#include "Sounds.h"', "", "namespace Sounds {", "",
             "const std::map<int64_t, std::string>& base64() {",
             "    static const std::map<int64_t, std::string> sounds{"]
    for ident, name, text in encoded:
        lines.append("        {%s, // %d" % (name, ident))
        chunks = [text[i:i + 100] for i in range(0, len(text), 100)]
        for i, chunk in enumerate(chunks):
            lines.append('         "%s"%s' % (chunk, "}," if i == len(chunks) - 1 else ""))
    lines += ["    };", "    return sounds;", "}", "", "} // namespace Sounds", ""]
    with open(os.path.join(directory, "Sounds.cpp"), "w", newline="\n") as f:
        f.write("\n".join(lines))


def write_wav(path, samples, rate):
    with open(path, "wb") as f:
        f.write(b"RIFF" + struct.pack("<I", 36 + len(samples)) + b"WAVE")
        f.write(b"fmt " + struct.pack("<IHHIIHH", 16, 1, 1, int(round(rate)), int(round(rate)), 1, 8))
        f.write(b"data" + struct.pack("<I", len(samples)) + samples)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--wav", metavar="DIR", help="also write each sound as an 8-bit WAV file into DIR")
    args = parser.parse_args()
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

    encoded = []
    for ident, name, n, d, total, characters, frames in TABLE:
        data, rate = build(name, n, d, total)
        text = base64.b64encode(data).decode("ascii")
        assert len(data) == total and len(text) == characters and frames_of(data) == frames, name
        encoded.append((ident, name, text))
        print("%d %-8s %5d bytes at %7.1f Hz, %.3f s, %d frames" % (ident, name, total, rate, (total - 8) / rate,
                                                                      frames))
        if args.wav:
            os.makedirs(args.wav, exist_ok=True)
            write_wav(os.path.join(args.wav, name + ".wav"), data[8:], rate)
    write_sources(os.path.join(root, "Ordnix"), encoded)
    return 0


if __name__ == "__main__":
    sys.exit(main())
