#!/usr/bin/env python3
"""Measures and checks the lesson sounds that tools/make-lessons.sh makes.

  check_sounds.py level FILE
      Prints the speech level of FILE (see speech_level) and its peak, in dBFS.
  check_sounds.py bounds BELOW_DB RAW
      Prints the first and the last sample of the voice's output RAW to keep: every 20 ms within
      BELOW_DB of its loudest 20 ms or above its silence, and 10 ms more on either side.
  check_sounds.py gap PAUSE LETTER WORD
      Prints how many samples of silence to put between LETTER and WORD so that the pause between
      them lasts PAUSE seconds: their own quiet ends count towards it.
  check_sounds.py part NAME RAW TRIMMED
      Checks that TRIMMED is RAW with nothing but silence cut from its ends, and prints how much of
      the speech it keeps.
  check_sounds.py sound LEVEL FILE...
      Checks finished sounds: quiet margins, length, peak, fades, the pause between the letter and
      the word, and a speech level within 1 dB of LEVEL dBFS. Prints a table.

Every failure names the file and the rule it breaks, on standard error; the exit status is then 1.
Loudness is judged over 20 ms stretches, 1 ms apart.
"""

import array
import math
import sys
import wave

FULL_SCALE = 32768.0
WINDOW = 0.020
HOP = 0.001

# The voice begins every utterance with at least 160 ms of its own silence, a steady hiss some
# 73 dB below full scale; its first 100 ms tell how loud that silence is.
SILENCE_SPAN = 0.100
# Nothing cut from a part may reach within 50 dB of the part's loudest 20 ms. The voice's softest
# bursts and releases sit 35-50 dB down. A soft part's own silence can lie less than 50 dB down:
# there the limit is 3 dB above that silence, since anything quieter is lost in the hiss anyway.
CUT_BELOW_PEAK_DB = 50.0
CUT_ABOVE_SILENCE_DB = 3.0
# What bounds keeps beyond the speech: everything 2 dB above the silence, and 10 ms more.
KEEP_ABOVE_SILENCE_DB = 2.0
KEEP_AROUND = 0.010

MARGIN = 0.040
MARGIN_BELOW_PEAK_DB = 30.0
MIN_SECONDS, MAX_SECONDS = 1.0, 4.0
MAX_PEAK_DBFS = -1.0
LEVEL_TOLERANCE_DB = 1.0
# The pause between the letter and the word: the longest run of 10 ms blocks 40 dB or more below
# the loudest 20 ms. About half a second, and shorter than the 0.6 s of quiet after which a
# listener (and the end-to-end tests) take the sound to be over.
PAUSE_BELOW_PEAK_DB = 40.0
MIN_PAUSE, MAX_PAUSE = 0.4, 0.58
# Only reported: how long after its start a sound first reaches -40 dBFS.
ONSET_DBFS = -40.0


class Failure(Exception):
    pass


def read(path):
    """The samples of a mono 16-bit PCM WAV file, and its rate."""
    with wave.open(path, 'rb') as file:
        if file.getnchannels() != 1 or file.getsampwidth() != 2 or file.getcomptype() != 'NONE':
            raise Failure(f'{path}: not a mono 16-bit PCM WAV')
        rate = file.getframerate()
        data = file.readframes(file.getnframes())
    samples = array.array('h')
    samples.frombytes(data)
    if sys.byteorder == 'big':
        samples.byteswap()
    if not samples:
        raise Failure(f'{path}: no samples')
    return rate, samples


def decibels(amplitude):
    return 20 * math.log10(amplitude / FULL_SCALE) if amplitude > 0 else -math.inf


class Loudness:
    """RMS levels (dBFS) of any stretch of a sound, from running sums of squares."""

    def __init__(self, samples, rate):
        self.rate = rate
        self.size = len(samples)
        self.width = round(WINDOW * rate)
        self.hop = max(1, round(HOP * rate))
        sums = [0.0] * (len(samples) + 1)
        total = 0.0
        for index, sample in enumerate(samples):
            total += sample * sample
            sums[index + 1] = total
        self.sums = sums

    def rms_db(self, begin, end):
        if end <= begin:
            return -math.inf
        return decibels(math.sqrt(max(0.0, self.sums[end] - self.sums[begin]) / (end - begin)))

    def windows(self, begin=0, end=None):
        """(start, level) of each 20 ms stretch inside [begin, end); one stretch for the whole
        range when it is shorter."""
        end = self.size if end is None else end
        if end - begin <= self.width:
            return [(begin, self.rms_db(begin, end))] if end > begin else []
        starts = list(range(begin, end - self.width + 1, self.hop))
        if starts[-1] != end - self.width:
            starts.append(end - self.width)
        return [(start, self.rms_db(start, start + self.width)) for start in starts]

    def loudest(self, begin=0, end=None):
        return max((level for _, level in self.windows(begin, end)), default=-math.inf)

    def seconds(self, samples):
        return samples / self.rate


def speech_level(samples, rate):
    """The level of the body of the speech: the loudest fifth of its 20 ms stretches (silence
    left out) lie above it. The voice puts bursts up to 12 dB above its vowels at plosives and at
    the start of each utterance, so the peak and the plain RMS say little about how loud a sound
    seems; this does."""
    width = round(WINDOW * rate)
    levels = []
    for start in range(0, len(samples), width):
        block = samples[start:start + width]
        level = math.sqrt(sum(s * s for s in block) / len(block)) / FULL_SCALE
        if level > 0.003:
            levels.append(level)
    if not levels:
        return -math.inf
    levels.sort()
    return 20 * math.log10(levels[max(0, int(len(levels) * 0.8) - 1)])


class VoiceOutput:
    """One utterance as the voice wrote it: its loudest 20 ms and the level of its silence."""

    def __init__(self, path):
        self.path = path
        self.rate, self.samples = read(path)
        self.loudness = Loudness(self.samples, self.rate)
        self.peak = self.loudness.loudest()
        self.silence = self.loudness.loudest(0, round(SILENCE_SPAN * self.rate))
        if self.silence > self.peak - 40:
            raise Failure(f'{path}: the voice\'s output does not begin in silence '
                          f'({self.peak - self.silence:.1f} dB below its peak)')

    def loud_starts(self, floor):
        return [start for start, level in self.loudness.windows() if level >= floor]


def speech_bounds(below_db, raw_path):
    voice = VoiceOutput(raw_path)
    loud = voice.loud_starts(max(voice.peak - below_db, voice.silence + KEEP_ABOVE_SILENCE_DB))
    around = round(KEEP_AROUND * voice.rate)
    begin = max(0, loud[0] - around)
    end = min(len(voice.samples), loud[-1] + voice.loudness.width + around)
    print(begin, end - 1)


def check_part(name, raw_path, trimmed_path):
    voice = VoiceOutput(raw_path)
    rate, trimmed = read(trimmed_path)
    raw_bytes, trimmed_bytes = voice.samples.tobytes(), trimmed.tobytes()
    offset = raw_bytes.find(trimmed_bytes) if rate == voice.rate else -1
    while offset % 2:
        offset = raw_bytes.find(trimmed_bytes, offset + 1)
    if offset < 0:
        raise Failure(f'{name}: the trimmed part is not one stretch of the voice\'s output')
    begin, end = offset // 2, offset // 2 + len(trimmed)

    loudness = voice.loudness
    floor = max(voice.peak - CUT_BELOW_PEAK_DB, voice.silence + CUT_ABOVE_SILENCE_DB)
    problems = []
    for where, cut_begin, cut_end in (('start', 0, begin), ('end', end, len(voice.samples))):
        cut = loudness.loudest(cut_begin, cut_end)
        if cut >= floor:
            problems.append(f'the trim cut {1000 * loudness.seconds(cut_end - cut_begin):.0f} ms from the '
                            f'{where} holding sound {voice.peak - cut:.1f} dB below the part\'s peak '
                            f'(the limit is {voice.peak - floor:.1f} dB)')

    # The speech: from the middle of the first to the middle of the last 20 ms at or above that
    # floor.
    half = loudness.width // 2
    loud = voice.loud_starts(floor)
    speech_begin, speech_end = loud[0] + half, loud[-1] + half
    kept = max(0, min(end, speech_end) - max(begin, speech_begin))
    print(f'{name:20s} speech {1000 * loudness.seconds(speech_end - speech_begin):4.0f} ms, '
          f'kept {1000 * loudness.seconds(kept):4.0f} ms ({100 * kept / (speech_end - speech_begin):5.1f} %); '
          f'cut {1000 * loudness.seconds(begin):3.0f} + '
          f'{1000 * loudness.seconds(len(voice.samples) - end):3.0f} ms; '
          f'peak {voice.peak:5.1f}, silence {voice.silence:5.1f} dBFS')
    if problems:
        raise Failure(f'{name}: ' + '; '.join(problems))


def longest_pause(loudness, begin, end, below):
    """Seconds of the longest run of 10 ms blocks inside [begin, end) all quieter than BELOW."""
    block = round(0.010 * loudness.rate)
    longest = run = 0
    for start in range(begin, end, block):
        if loudness.rms_db(start, min(end, start + block)) < below:
            run += 1
            longest = max(longest, run)
        else:
            run = 0
    return loudness.seconds(longest * block)


def quiet_blocks(loudness, starts, below):
    """How many of the 10 ms blocks starting at STARTS, taken in turn, are quieter than BELOW
    before the first that is not."""
    block = round(0.010 * loudness.rate)
    count = 0
    for start in starts:
        if loudness.rms_db(start, start + block) >= below:
            break
        count += 1
    return count * block


def silence_between(pause, letter_path, word_path):
    rate, letter = read(letter_path)
    word_rate, word = read(word_path)
    if word_rate != rate:
        raise Failure(f'{letter_path} and {word_path} differ in rate')
    # Joined without a gap, the loudest 20 ms and the blocks are those the finished sound has.
    loudness = Loudness(letter + word, rate)
    below = loudness.loudest() - PAUSE_BELOW_PEAK_DB
    block = round(0.010 * rate)
    tail = quiet_blocks(loudness, range(len(letter) - block, -1, -block), below)
    lead = quiet_blocks(loudness, range(len(letter), len(letter) + len(word) - block + 1, block), below)
    silence = max(0.0, pause - loudness.seconds(tail + lead))
    print(f'{round(silence * rate)}')


def check_sound(path, target_level):
    rate, samples = read(path)
    loudness = Loudness(samples, rate)
    seconds = loudness.seconds(len(samples))
    problems = []
    if not MIN_SECONDS <= seconds <= MAX_SECONDS:
        problems.append(f'lasts {seconds:.2f} s, outside {MIN_SECONDS:g}-{MAX_SECONDS:g} s')

    loudest = loudness.loudest()
    margin = round(MARGIN * rate)
    start_margin = loudest - loudness.rms_db(0, margin)
    end_margin = loudest - loudness.rms_db(len(samples) - margin, len(samples))
    for where, below in (('first', start_margin), ('last', end_margin)):
        if below < MARGIN_BELOW_PEAK_DB:
            problems.append(f'its {where} {1000 * MARGIN:.0f} ms lie only {below:.1f} dB below its loudest '
                            f'{1000 * WINDOW:.0f} ms (must be {MARGIN_BELOW_PEAK_DB:.0f} dB or more)')

    # The 16-bit sample nearest to the ceiling counts as on it.
    peak_sample = max(abs(s) for s in samples)
    peak = decibels(peak_sample)
    if peak_sample > round(FULL_SCALE * 10 ** (MAX_PEAK_DBFS / 20)):
        problems.append(f'peaks at {peak:.2f} dBFS, above {MAX_PEAK_DBFS:g} dBFS')

    # The fades bring both ends to nothing, so that playback starts and stops without a click.
    if abs(samples[0]) > 1 or abs(samples[-1]) > 1:
        problems.append(f'does not fade in and out (first sample {samples[0]}, last {samples[-1]})')

    level = speech_level(samples, rate)
    if abs(level - target_level) > LEVEL_TOLERANCE_DB:
        problems.append(f'its speech level is {level:.2f} dBFS, not within {LEVEL_TOLERANCE_DB:g} dB '
                        f'of {target_level:g} dBFS')

    heard = [start for start, level in loudness.windows() if level >= loudest - PAUSE_BELOW_PEAK_DB]
    pause = longest_pause(loudness, heard[0], heard[-1] + loudness.width, loudest - PAUSE_BELOW_PEAK_DB)
    if not MIN_PAUSE <= pause <= MAX_PAUSE:
        problems.append(f'pauses {pause:.2f} s between the letter and the word, outside '
                        f'{MIN_PAUSE:g}-{MAX_PAUSE:g} s')

    onset_limit = FULL_SCALE * 10 ** (ONSET_DBFS / 20)
    onset = next((index for index, s in enumerate(samples) if abs(s) >= onset_limit), len(samples))
    print(f'{path.rsplit("/", 1)[-1]:6s} {seconds:7.3f} {start_margin:9.1f} {end_margin:7.1f} '
          f'{peak:7.2f} {level:8.2f} {pause:6.2f} {1000 * loudness.seconds(onset):8.0f}')
    return problems


def main(args):
    try:
        if len(args) == 2 and args[0] == 'level':
            rate, samples = read(args[1])
            print(f'{speech_level(samples, rate):.2f} {decibels(max(map(abs, samples))):.2f}')
        elif len(args) == 3 and args[0] == 'bounds':
            speech_bounds(float(args[1]), args[2])
        elif len(args) == 4 and args[0] == 'gap':
            silence_between(float(args[1]), args[2], args[3])
        elif len(args) == 4 and args[0] == 'part':
            check_part(*args[1:])
        elif len(args) >= 3 and args[0] == 'sound':
            print(f'{"file":6s} {"seconds":>7s} {"start_dB":>9s} {"end_dB":>7s} {"peak":>7s} '
                  f'{"speech":>8s} {"pause":>6s} {"onset_ms":>8s}')
            failed = False
            for path in args[2:]:
                for problem in check_sound(path, float(args[1])):
                    print(f'check_sounds: {path}: {problem}', file=sys.stderr)
                    failed = True
            return 1 if failed else 0
        else:
            print(__doc__, file=sys.stderr)
            return 2
    except Failure as failure:
        print(f'check_sounds: {failure}', file=sys.stderr)
        return 1
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
