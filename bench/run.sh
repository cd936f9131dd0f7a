#!/usr/bin/env bash
# Runs the benchmark suite from an optimised build tree, prints one table and writes every figure to
# BUILD_DIR/bench-results/results.json (the raw outputs stay beside it).
#   bench/run.sh BUILD_DIR        (tools/setup.sh bench builds build-bench/ and calls this)
# Two references go with every start-up figure: bench/reference, an empty 550 x 462 Qt window, and
# bench/floor, the same window showing the main window's content (its 31 captions in the same two
# fonts, the frames) with no skin, tray, sound or lesson code: the least this window can cost.
# 1. start-up: exec to the main window first painted (its first X DAMAGE), on a private Xvfb display
#    with a tray host, the three programs alternating; and, load-free, the instructions each executes
#    up to its main window's first flush to the X server (callgrind);
# 2. memory: the resident set of each one second after its first paint, and the growth of the main
#    window's over 1,000 lessons driven in-process;
# 3. a lesson beside Qt's bare full-size decode of its picture, in-process, interleaved letter by
#    letter; and the instructions of each (callgrind);
# 4. clicks through XTEST from inside one process: to the first audible sample (a PulseAudio null
#    sink recorded with 20 ms of buffering), against a bare libpulse client clicked in turn; and to
#    the picture frame's first drawing (X DAMAGE). The program's first click is reported apart.
# Nothing here asserts: the figures are for reading. On a loaded machine trust the instruction
# counts; the wall-clock figures go with the load average measured around them.
# shellcheck source=tests/e2e/rig.sh
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
build=$(cd "${1:-build-bench}" && pwd) || exit 2
out=$build/bench-results
mkdir -p "$out"
for tool in bench_lesson bench_memory reference floor bare_sound first_paint click_timing; do
    [[ -x $build/bench/$tool ]] || { echo "no $build/bench/$tool: build the bench preset first" >&2; exit 2; }
done
command -v valgrind >/dev/null || { echo "valgrind is missing (tools/debian-packages.txt)" >&2; exit 2; }

STARTUP_RUNS=12
CALLGRIND_RUNS=3
LESSON_ROUNDS=15
LESSONS=1000
RECORDER_LATENCY_MS=20
# Letters A to J: each click plays another lesson's sound.
CLICK_LETTERS=10

load_before=$(cut -d' ' -f1-3 /proc/loadavg)

echo "lessons beside full decodes, interleaved (in-process)..." >&2
"$build/bench/bench_lesson" "$LESSON_ROUNDS" >"$out/lesson.json" 2>"$out/lesson.log" ||
    { cat "$out/lesson.log" >&2; exit 1; }
echo "instructions of a lesson and of a full decode (callgrind)..." >&2
for kind in runLesson runFullDecode; do
    valgrind --tool=callgrind --callgrind-out-file="$out/callgrind-$kind.out" --toggle-collect="*$kind*" \
        "$build/bench/bench_lesson" 1 >/dev/null 2>"$out/callgrind-$kind.log" ||
        { cat "$out/callgrind-$kind.log" >&2; exit 1; }
done

echo "memory over $LESSONS lessons (in-process)..." >&2
"$build/bench/bench_memory" "$LESSONS" >"$out/memory.json" 2>"$out/memory.log" ||
    { cat "$out/memory.log" >&2; exit 1; }

# The rest runs on the end-to-end rig's private display and audio server, cleaned up on exit.
source "$here/../tests/e2e/rig.sh"
rig_begin "$build" 900
start_xvfb
start_tray
start_pulse

program_command() {
    case $1 in
        tarbalun) command=("$build/tarbalun") ;;
        floor) command=("$build/bench/floor") ;;
        reference) command=("$build/bench/reference") ;;
    esac
}

echo "start-up and resident set, $STARTUP_RUNS runs each, alternating..." >&2
: >"$out/startup.txt"
# One run of each first, not counted, so that all find their libraries in the page cache.
for ((run = 0; run <= STARTUP_RUNS; run++)); do
    for program in tarbalun floor reference; do
        program_command "$program"
        line=$(cd "$build" && "$build/bench/first_paint" --rss-after 1000 "${command[@]}") ||
            fail "first_paint failed on $program"
        ((run > 0)) && echo "$program $line" >>"$out/startup.txt"
    done
done

# Callgrind dumps its counts after every flush of a window to the X server. The main window's first
# paint ends with the first dump that holds a push button's paint (the tray icon's paint holds
# none); the empty window draws no button, and its first dump is its paint. That dump's count with
# the counts of the dumps before it is the count from exec to the first paint.
rig_main_paint_dumped() { # DUMP_PREFIX BUTTONS(yes|no)
    local dump total=0 count
    for ((part = 1; ; part++)); do
        dump=$1.$part
        [[ -f $dump ]] && grep -q '^totals:' "$dump" || return 1
        count=$(sed -n 's/^totals: *\([0-9]*\).*/\1/p' "$dump")
        total=$((total + count))
        if [[ $2 == no ]] || grep -q 'QPushButton::paintEvent' "$dump"; then
            INSTRUCTIONS=$total
            return 0
        fi
    done
}
echo "instructions to first paint, $CALLGRIND_RUNS runs each (callgrind)..." >&2
: >"$out/callgrind-startup.txt"
for ((run = 1; run <= CALLGRIND_RUNS; run++)); do
    for program in tarbalun floor reference; do
        program_command "$program"
        dump=$out/callgrind-$program-$run.out
        rm -f "$dump"*
        (cd "$build" && exec valgrind --tool=callgrind --callgrind-out-file="$dump" \
            --dump-after='QBackingStore::flush*' "${command[@]}") >"$dump.log" 2>&1 &
        valgrind_pid=$!
        rig_track "$valgrind_pid"
        buttons=yes
        [[ $program == reference ]] && buttons=no
        wait_for 180 "callgrind's count of $program" rig_main_paint_dumped "$dump" "$buttons"
        kill "$valgrind_pid"
        wait "$valgrind_pid" 2>/dev/null
        echo "$program $INSTRUCTIONS" >>"$out/callgrind-startup.txt"
    done
done

echo "clicks: to audible beside a bare libpulse client, and to the frame's drawing, $CLICK_LETTERS each..." >&2
(exec "$build/bench/bare_sound") >"$RIG_TMP/bare_sound.log" 2>&1 &
rig_track $!
find_window 'bare sound client' 10
bare_win=$FOUND
# The clicked letters play, from a copy of the program, the very tone the bare client plays (0.3 s,
# 440 Hz, from its first sample): a lesson sound opens on a quiet margin and a soft voice, which
# would put the file's own lead-in inside the output's figure.
rig_copy_program
for letter in a b c d e f g h i j; do
    sox -n -r 48000 -c 2 -b 16 "$RIG_APP/$letter.wav" synth 0.3 sine 440 vol 0.488 ||
        fail "cannot write the click tone"
done
start_program
# The program's first click is timed in a fresh process, after what it does once it is on screen.
sleep 1
positions=()
for ((column = 0; column < CLICK_LETTERS; column++)); do
    # Letter keys of the first row: 41 x 25 at (16 + 48 * column, 360) in the client area.
    positions+=("$((16 + 48 * column + 20)),$((360 + 12))")
done
fifo=$RIG_TMP/onset.fifo
mkfifo "$fifo"
# Both ends of the fifo open inside background jobs, so that neither blocks the script.
# The picture frame: 537 x 337 at (8, 8) in the client area.
(exec "$build/bench/click_timing" "$bare_win" "$WIN" 8,8,537,337 "${positions[@]}" <"$fifo" \
    >"$out/clicks.json" 2>"$out/clicks.log") &
timing_pid=$!
rig_track "$timing_pid"
(exec parec --device=test_sink.monitor --raw --format=s16le --rate=48000 --channels=2 \
    --latency-msec="$RECORDER_LATENCY_MS" >"$fifo" 2>>"$out/clicks.log") &
rig_track $!
wait "$timing_pid" || { cat "$out/clicks.log" >&2; fail "click_timing failed"; }
stop_program

load_after=$(cut -d' ' -f1-3 /proc/loadavg)

python3 - "$out" "$load_before" "$load_after" "$RECORDER_LATENCY_MS" <<'PY'
import json, os, platform, re, statistics, sys, time

out, load_before, load_after, recorder_ms = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])
programs = ("tarbalun", "floor", "reference")

def stats(values):
    return {"median": statistics.median(values), "min": min(values), "max": max(values), "runs": len(values)}

# Start-up and resident set.
runs = {p: [] for p in programs}
for line in open(os.path.join(out, "startup.txt")):
    program, *fields = line.split()
    runs[program].append(dict((k, float(v)) for k, v in (f.split("=") for f in fields)))
startup = {p: {"paint_ms": stats([r["paint_ms"] for r in rs]), "map_ms": stats([r["map_ms"] for r in rs]),
               "rss_kib": stats([r["rss_kib"] for r in rs])} for p, rs in runs.items()}
counts = {p: [] for p in programs}
for line in open(os.path.join(out, "callgrind-startup.txt")):
    program, count = line.split()
    counts[program].append(int(count))
for p in programs:
    startup[p]["instructions"] = stats(counts[p])

def ratio(figure, program, reference):
    return startup[program][figure]["median"] / startup[reference][figure]["median"]

ratios = {f"{p}/{r}": {f: ratio(f, p, r) for f in ("paint_ms", "instructions", "rss_kib")}
          for p, r in (("tarbalun", "floor"), ("tarbalun", "reference"), ("floor", "reference"))}

memory = json.load(open(os.path.join(out, "memory.json")))

# Lessons beside full decodes, interleaved; and their instructions.
lesson_run = json.load(open(os.path.join(out, "lesson.json")))
letters = {l: {**v, "ratio": v["lesson_us"] / v["full_decode_us"]} for l, v in lesson_run["letters"].items()}
lesson_ratio = statistics.median(v["ratio"] for v in letters.values())

def collected(kind):
    text = open(os.path.join(out, f"callgrind-{kind}.out")).read()
    return int(re.search(r"^totals: *(\d+)", text, re.M).group(1))

lesson_ir, decode_ir = collected("runLesson"), collected("runFullDecode")

clicks = json.load(open(os.path.join(out, "clicks.json")))
bare = [c for c in clicks["bare_ms"] if c is not None]
audible, photon = clicks["audible_ms"], clicks["photon_ms"]
warm_audible = [c for c in audible[1:] if c is not None]
warm_photon = [c for c in photon[1:] if c is not None]

def cpu_model():
    for line in open("/proc/cpuinfo"):
        if line.startswith("model name"):
            return line.split(":", 1)[1].strip()
    return platform.processor()

def median_or_none(values):
    return statistics.median(values) if values else None

results = {
    "date": time.strftime("%Y-%m-%d %H:%M:%S %z"),
    "machine": {"cpu": cpu_model(), "cores": os.cpu_count(), "kernel": platform.release(),
                "load_average_before": load_before, "load_average_after": load_after},
    "startup": {**startup, "ratios_of_medians": ratios, "target_vs_floor": 1.15,
                "measured": "exec to the first X DAMAGE on the mapped main window, Xvfb with a tray host; "
                            "instructions: exec to the main window's first flush to the X server (callgrind)"},
    "memory": {"rss_ratio_vs_floor": ratios["tarbalun/floor"]["rss_kib"], "target_ratio_vs_floor": 1.1,
               "lessons": memory, "target_growth_kib": 1024,
               "measured": "VmRSS one second after the first paint; growth in-process, offscreen"},
    "lesson": {"letters": letters, "rounds": lesson_run["rounds"], "median_ratio": lesson_ratio, "target": 0.6,
               "instructions_per_lesson": lesson_ir / 26, "instructions_per_full_decode": decode_ir / 26,
               "instruction_ratio": lesson_ir / decode_ir,
               "measured": "interleaved letter by letter, shuffled, no letter's lesson after its own"},
    "clicks": {**clicks, "recorder_buffering_ms": recorder_ms,
               "bare_median_ms": median_or_none(bare), "first_audible_ms": audible[0],
               "warm_audible_median_ms": median_or_none(warm_audible),
               "first_photon_ms": photon[0], "warm_photon_median_ms": median_or_none(warm_photon),
               "targets": {"audible_vs_bare": 1.2, "first_audible_ms": 25, "first_photon_ms": 8, "warm_photon_ms": 4},
               "measured": "XTEST release to the first recorded chunk above -40 dBFS (recorder buffering "
                           "included) and to the first X DAMAGE touching the picture frame"},
}
json.dump(results, open(os.path.join(out, "results.json"), "w"), indent=2, ensure_ascii=False)

def spread(s, unit=1.0, digits=1):
    return "{0:.{3}f} ({1:.{3}f}–{2:.{3}f})".format(s["median"] / unit, s["min"] / unit, s["max"] / unit, digits)

def row(what, ours="", floor="", reference="", ratio_="", target=""):
    print(f"{what:38} {ours:>19} {floor:>19} {reference:>19} {ratio_:>13}  {target}")

def fmt(value, digits=1):
    return "none" if value is None else f"{value:.{digits}f}"

t, f, r = (startup[p] for p in programs)
tf, tr = ratios["tarbalun/floor"], ratios["tarbalun/reference"]
print(f"Benchmarks, {results['date']}: {results['machine']['cpu']}, {os.cpu_count()} cores, "
      f"load average {load_before} before, {load_after} after")
row("", "tarbalun", "floor", "empty window", "÷floor ÷empty", "target")
row("start-up to first paint, ms", spread(t["paint_ms"]), spread(f["paint_ms"]), spread(r["paint_ms"]),
    f"{tf['paint_ms']:.2f} {tr['paint_ms']:.2f}", "≤ 1.15 × floor")
row("  instructions to first paint, M", spread(t["instructions"], 1e6), spread(f["instructions"], 1e6),
    spread(r["instructions"], 1e6), f"{tf['instructions']:.2f} {tr['instructions']:.2f}", "≤ 1.15 × floor")
row("resident set 1 s after, MiB", f"{t['rss_kib']['median'] / 1024:.1f}", f"{f['rss_kib']['median'] / 1024:.1f}",
    f"{r['rss_kib']['median'] / 1024:.1f}", f"{tf['rss_kib']:.2f} {tr['rss_kib']:.2f}", "≤ 1.1 × floor")
row(f"growth over {memory['lessons']} lessons, KiB", str(memory["growth_kib"]), target="≤ 1024")
row("lesson ÷ full decode, median of 26", ratio_=f"{lesson_ratio:.2f}", target="≤ 0.6")
row("  in instructions, M: lesson / decode", f"{lesson_ir / 26e6:.2f} / {decode_ir / 26e6:.2f}",
    ratio_=f"{lesson_ir / decode_ir:.2f}")
row(f"click to audible, ms ({recorder_ms} ms recorder)", fmt(results["clicks"]["warm_audible_median_ms"]),
    reference=f"bare {fmt(results['clicks']['bare_median_ms'])}",
    ratio_=fmt(results["clicks"]["warm_audible_median_ms"] / results["clicks"]["bare_median_ms"], 2)
    if warm_audible and bare else "", target="≤ 1.2 × bare")
row("  first click", fmt(audible[0]), target="≤ 25")
row("click to photon, warm, ms", fmt(results["clicks"]["warm_photon_median_ms"]), target="≤ 4")
row("  first click", fmt(photon[0]), target="≤ 8")
missing = sum(c is None for c in audible + photon + clicks["bare_ms"])
if missing:
    print(f"{missing} click figure(s) missing: no sound or no drawing within the limit")
print(f"JSON: {os.path.join(out, 'results.json')}")
PY
