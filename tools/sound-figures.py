#!/usr/bin/env python3
"""The loudness and the room of a rendered piece, from its WAV file alone.

    tools/sound-figures.py PIECE.wav [--midi PIECE.mid] [SECTION_START_SECONDS ...]

Prints the RMS level of the whole piece and of each section (a section runs from its start to
the next one's, the first from 0), the peak, and the reverberation time of the final chord's
tail: the energy decay curve (backward-integrated squared signal) from where the last chord
is let go (the last note-off of the piece's MIDI file, `zamrit-dice midi ... -o PIECE.mid`;
without it the steepest fall of the last four seconds), its slope between -5 and -25 dB extrapolated to 60 dB (T20), and where the
tail is long enough the time it takes to fall 60 dB itself. Standard library only.
"""
import array
import math
import sys
import wave

WINDOW_SECONDS = 0.02


def read_mono(path):
    with wave.open(path, "rb") as wav:
        if wav.getsampwidth() != 2:
            sys.exit(f"{path}: only 16-bit WAV files are read")
        channels, rate = wav.getnchannels(), wav.getframerate()
        samples = array.array("h", wav.readframes(wav.getnframes()))
    if sys.byteorder == "big":
        samples.byteswap()
    mono = [sum(samples[i:i + channels]) / (channels * 32768.0)
            for i in range(0, len(samples) - channels + 1, channels)]
    return mono, rate


def decibels(power):
    return 10 * math.log10(power) if power > 0 else -math.inf


def rms_db(samples):
    return decibels(sum(s * s for s in samples) / max(1, len(samples)))


def envelope(samples, rate):
    step = int(rate * WINDOW_SECONDS)
    return [rms_db(samples[i:i + step]) for i in range(0, len(samples) - step + 1, step)]


def tail_start(levels):
    """The window where the final chord is let go: the steepest fall of the level within the
    last four seconds (the mean of three windows against the level two windows on)."""
    first = max(3, len(levels) - int(4 / WINDOW_SECONDS))
    falls = [(sum(levels[i - 3:i]) / 3 - levels[i + 2], i) for i in range(first, len(levels) - 2)]
    return max(falls)[1] - 1


def variable_length(data, at):
    value = 0
    while True:
        byte = data[at]
        at += 1
        value = value << 7 | byte & 0x7F
        if byte < 0x80:
            return value, at


def last_note_off(path):
    """Seconds from the start to the last note-off of a one-track or merged MIDI file."""
    data = open(path, "rb").read()
    division = int.from_bytes(data[12:14], "big")
    events, at = [], 14
    while at + 8 <= len(data):
        end = at + 8 + int.from_bytes(data[at + 4:at + 8], "big")
        at, tick, running = at + 8, 0, 0
        while at < end:
            delta, at = variable_length(data, at)
            tick += delta
            if data[at] in (0xF0, 0xF7, 0xFF):
                kind = data[at + 1] if data[at] == 0xFF else None
                length, body = variable_length(data, at + (2 if kind is not None else 1))
                if kind == 0x51:
                    events.append((tick, "tempo", int.from_bytes(data[body:body + 3], "big")))
                at = body + length
                continue
            if data[at] & 0x80:
                running, at = data[at], at + 1
            size = 1 if running & 0xF0 in (0xC0, 0xD0) else 2
            if running & 0xF0 == 0x80 or (running & 0xF0 == 0x90 and data[at + 1] == 0):
                events.append((tick, "off", 0))
            at += size
        at = end
    seconds, last_tick, tempo, released = 0.0, 0, 500000, 0.0
    for tick, kind, value in sorted(events, key=lambda e: e[0]):
        seconds += (tick - last_tick) * tempo / division / 1e6
        last_tick = tick
        if kind == "tempo":
            tempo = value
        else:
            released = seconds
    return released


def reverberation(samples, rate, release=None):
    if release is None:
        start = tail_start(envelope(samples, rate)) * int(rate * WINDOW_SECONDS)
    else:
        start = int(release * rate)
    tail = samples[start:]
    remaining, decay = 0.0, [0.0] * len(tail)
    for i in range(len(tail) - 1, -1, -1):
        remaining += tail[i] * tail[i]
        decay[i] = remaining
    total = decay[0]
    curve = [decibels(d / total) for d in decay]

    def first_below(db):
        return next((i / rate for i, level in enumerate(curve) if level <= db), None)

    t5, t25, t60 = first_below(-5), first_below(-25), first_below(-60)
    t20 = 3 * (t25 - t5) if t5 is not None and t25 is not None else None
    return start / rate, t20, t60


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    arguments = sys.argv[2:]
    release = None
    if len(arguments) >= 2 and arguments[0] == "--midi":
        release, arguments = last_note_off(arguments[1]), arguments[2:]
    samples, rate = read_mono(sys.argv[1])
    starts = [0.0] + [float(s) for s in arguments]
    ends = starts[1:] + [len(samples) / rate]
    peak = max(abs(s) for s in samples)
    print(f"length {len(samples) / rate:.2f} s, RMS {rms_db(samples):.1f} dBFS, "
          f"peak {20 * math.log10(peak) if peak > 0 else -math.inf:.1f} dBFS")
    if len(starts) > 1:
        for number, (begin, end) in enumerate(zip(starts, ends), 1):
            part = samples[int(begin * rate):int(end * rate)]
            print(f"section {number} ({begin:.2f}-{end:.2f} s): RMS {rms_db(part):.1f} dBFS")
    start, t20, t60 = reverberation(samples, rate, release)
    print(f"final tail from {start:.2f} s: T20 {t20:.2f} s" if t20 else "final tail: too short to measure",
          f", to -60 dB {t60:.2f} s" if t60 else ", does not reach -60 dB before the end", sep="")


if __name__ == "__main__":
    main()
