#!/usr/bin/env bash
# Runs the benchmark suite from an optimised build tree, prints one table and writes every figure to
# BUILD_DIR/bench-results/results.json (the raw outputs stay beside it).
#   bench/run.sh BUILD_DIR        (tools/setup.sh bench builds build-bench/ and calls this)
# 1. start-up: process start to the main window mapped and first painted, on a private Xvfb display
#    with a tray host, alternating with the reference program (an empty 550 x 462 Qt window) and,
#    for information, the same window with one captioned button (the least a window with text pays);
# 2. memory: the resident set of each one second after its window is shown, and the growth of the
#    main window's over 1,000 lessons driven in-process;
# 3. a lesson beside the bare full-size decode of its picture, in-process;
# 4. a click on a letter to the first audible sample, through a PulseAudio null sink recorded with
#    20 ms of buffering.
# Nothing here asserts: the figures are for reading. The machine's load average goes with them.
# shellcheck source=tests/e2e/rig.sh
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
build=$(cd "${1:-build-bench}" && pwd) || exit 2
out=$build/bench-results
mkdir -p "$out"
for tool in bench_lesson bench_memory reference first_paint click_onset; do
    [[ -x $build/bench/$tool ]] || { echo "no $build/bench/$tool: build the bench preset first" >&2; exit 2; }
done

STARTUP_RUNS=12
LESSONS=1000
RECORDER_LATENCY_MS=20
# Letters A to J: each click plays another lesson's sound.
CLICK_LETTERS=10

load_before=$(cut -d' ' -f1-3 /proc/loadavg)

echo "lesson beside full decode (in-process)..." >&2
"$build/bench/bench_lesson" --benchmark_repetitions=9 --benchmark_min_time=0.05 --benchmark_report_aggregates_only=true \
    --benchmark_out="$out/lesson.json" --benchmark_out_format=json >/dev/null 2>"$out/lesson.log" ||
    { cat "$out/lesson.log" >&2; exit 1; }

echo "memory over $LESSONS lessons (in-process)..." >&2
"$build/bench/bench_memory" "$LESSONS" >"$out/memory.json" 2>"$out/memory.log" ||
    { cat "$out/memory.log" >&2; exit 1; }

# The rest runs on the end-to-end rig's private display and audio server, cleaned up on exit.
source "$here/../tests/e2e/rig.sh"
rig_begin "$build" 420
start_xvfb
start_tray
start_pulse

echo "start-up and resident set, $STARTUP_RUNS runs each, alternating..." >&2
: >"$out/startup.txt"
# One run of each first, not counted, so that all find their libraries in the page cache.
for ((run = 0; run <= STARTUP_RUNS; run++)); do
    for program in tarbalun reference reference_caption; do
        case $program in
            tarbalun) command=("$build/tarbalun") ;;
            reference) command=("$build/bench/reference") ;;
            reference_caption) command=("$build/bench/reference" --caption) ;;
        esac
        line=$(cd "$build" && "$build/bench/first_paint" --rss-after 1000 "${command[@]}") ||
            fail "first_paint failed on $program"
        ((run > 0)) && echo "$program $line" >>"$out/startup.txt"
    done
done

echo "click to first audible sample, $CLICK_LETTERS clicks..." >&2
start_program
positions=()
for ((column = 0; column < CLICK_LETTERS; column++)); do
    # Letter keys of the first row: 41 x 25 at (16 + 48 * column, 360) in the client area.
    positions+=("$((16 + 48 * column + 20)),$((360 + 12))")
done
fifo=$RIG_TMP/onset.fifo
mkfifo "$fifo"
# Both ends of the fifo open inside background jobs, so that neither blocks the script.
(exec "$build/bench/click_onset" "$WIN" "${positions[@]}" <"$fifo" >"$out/clicks.json" 2>"$out/clicks.log") &
onset_pid=$!
rig_track "$onset_pid"
(exec parec --device=test_sink.monitor --raw --format=s16le --rate=48000 --channels=2 \
    --latency-msec="$RECORDER_LATENCY_MS" >"$fifo" 2>>"$out/clicks.log") &
rig_track $!
wait "$onset_pid" || { cat "$out/clicks.log" >&2; fail "click_onset failed"; }
stop_program

load_after=$(cut -d' ' -f1-3 /proc/loadavg)

python3 - "$out" "$load_before" "$load_after" "$RECORDER_LATENCY_MS" <<'PY'
import json, os, platform, statistics, sys, time

out, load_before, load_after, recorder_ms = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])

def stats(values):
    return {"median": statistics.median(values), "min": min(values), "max": max(values), "runs": len(values)}

# Start-up and resident set.
runs = {"tarbalun": [], "reference": [], "reference_caption": []}
for line in open(os.path.join(out, "startup.txt")):
    program, *fields = line.split()
    runs[program].append(dict((k, float(v)) for k, v in (f.split("=") for f in fields)))
startup = {p: {"paint_ms": stats([r["paint_ms"] for r in rs]), "map_ms": stats([r["map_ms"] for r in rs]),
               "rss_kib": stats([r["rss_kib"] for r in rs])} for p, rs in runs.items()}

def ratio(figure, program, reference="reference"):
    return startup[program][figure]["median"] / startup[reference][figure]["median"]

startup_ratio, rss_ratio = ratio("paint_ms", "tarbalun"), ratio("rss_kib", "tarbalun")

memory = json.load(open(os.path.join(out, "memory.json")))

# A lesson beside the full decode, median of the repetitions per letter.
rows = {}
for b in json.load(open(os.path.join(out, "lesson.json")))["benchmarks"]:
    if b.get("aggregate_name") == "median":
        rows.setdefault(b["label"], {})[b["run_name"].split("/")[0]] = b["real_time"]
letters = {l: {"lesson_us": r["BM_Lesson"], "full_decode_us": r["BM_FullDecode"],
               "ratio": r["BM_Lesson"] / r["BM_FullDecode"]} for l, r in sorted(rows.items())}
lesson_ratio = statistics.median(v["ratio"] for v in letters.values())

clicks = json.load(open(os.path.join(out, "clicks.json")))
heard = [c for c in clicks["click_to_onset_ms"] if c is not None]

def cpu_model():
    for line in open("/proc/cpuinfo"):
        if line.startswith("model name"):
            return line.split(":", 1)[1].strip()
    return platform.processor()

results = {
    "date": time.strftime("%Y-%m-%d %H:%M:%S %z"),
    "machine": {"cpu": cpu_model(), "cores": os.cpu_count(), "kernel": platform.release(),
                "load_average_before": load_before, "load_average_after": load_after},
    "startup": {**startup, "ratio_of_medians": startup_ratio, "target": 1.2,
                "caption_reference_ratio_of_medians": ratio("paint_ms", "reference_caption"),
                "measured": "exec to the first X DAMAGE on the mapped main window, Xvfb with a tray host"},
    "memory": {"rss_ratio_of_medians": rss_ratio, "target_ratio": 1.5, "lessons": memory, "target_growth_kib": 1024,
               "measured": "VmRSS one second after the first paint; growth in-process, offscreen"},
    "lesson": {"letters": letters, "median_ratio": lesson_ratio, "target": 0.5},
    "click_to_audible": {"clicks_ms": clicks["click_to_onset_ms"], "first_click_ms": clicks["click_to_onset_ms"][0],
                         **({"median_ms": statistics.median(heard), "min_ms": min(heard), "max_ms": max(heard)} if heard else {}),
                         "threshold": clicks["threshold"], "recorder_buffering_ms": recorder_ms, "target_ms": 40,
                         "measured": "xdotool click to the first recorded chunk above -40 dBFS, buffering included"},
}
json.dump(results, open(os.path.join(out, "results.json"), "w"), indent=2, ensure_ascii=False)

t, r, rc = startup["tarbalun"], startup["reference"], startup["reference_caption"]

def spread(s):
    return "{:.1f} ({:.1f}–{:.1f})".format(s["median"], s["min"], s["max"])

def row(what, ours="", reference="", ratio_="", target=""):
    print(f"{what:40} {ours:>20} {reference:>20} {ratio_:>6}  {target}")

print(f"Benchmarks, {results['date']}: {results['machine']['cpu']}, {os.cpu_count()} cores, "
      f"load average {load_before} before, {load_after} after")
row("", "tarbalun", "reference", "ratio", "target")
row("start-up to first paint, ms", spread(t["paint_ms"]), spread(r["paint_ms"]), f"{startup_ratio:.2f}", "≤ 1.2")
row("  reference with one caption", "", spread(rc["paint_ms"]), f"{ratio('paint_ms', 'reference_caption'):.2f}")
row("resident set 1 s after, MiB", f"{t['rss_kib']['median'] / 1024:.1f}", f"{r['rss_kib']['median'] / 1024:.1f}",
    f"{rss_ratio:.2f}", "≤ 1.5")
row(f"growth over {memory['lessons']} lessons, KiB", str(memory["growth_kib"]), target="≤ 1024")
row("lesson / full decode, median of 26", ratio_=f"{lesson_ratio:.2f}", target="≤ 0.5")
if heard:
    row(f"click to audible, ms ({recorder_ms} ms recorder)", "{:.1f} ({:.1f}–{:.1f})".format(
        statistics.median(heard), min(heard), max(heard)), target="≤ 40")
    first = clicks["click_to_onset_ms"][0]
    row("  first click (opens the audio output)", f"{first:.1f}" if first is not None else "no sound")
if len(heard) < len(clicks["click_to_onset_ms"]):
    print(f"click to audible: {len(clicks['click_to_onset_ms']) - len(heard)} click(s) brought no sound")
print(f"JSON: {os.path.join(out, 'results.json')}")
PY
