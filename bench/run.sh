#!/usr/bin/env bash
# Runs the benchmarks from an optimised build tree and prints their figures.
#   bench/run.sh BUILD_DIR        (tools/setup.sh bench builds build-bench/ and calls this)
set -euo pipefail
build=$(cd "${1:-build-bench}" && pwd)
out="$build/bench-results"
mkdir -p "$out"

# A lesson beside the bare full-size decode of its picture, median of the repetitions per letter.
"$build/bench/bench_lesson" --benchmark_repetitions=9 --benchmark_min_time=0.05 --benchmark_report_aggregates_only=true \
  --benchmark_out="$out/lesson.json" --benchmark_out_format=json >/dev/null
python3 - "$out/lesson.json" <<'PY'
import json, sys
rows = {}
for b in json.load(open(sys.argv[1]))["benchmarks"]:
    if b.get("aggregate_name") != "median":
        continue
    kind = b["run_name"].split("/")[0]
    rows.setdefault(b["label"], {})[kind] = b["real_time"]
print(f"{'letter':>6} {'lesson µs':>10} {'decode µs':>10} {'ratio':>6}")
ratios = []
for letter in sorted(rows):
    lesson, decode = rows[letter]["BM_Lesson"], rows[letter]["BM_FullDecode"]
    ratios.append(lesson / decode)
    print(f"{letter:>6} {lesson:>10.0f} {decode:>10.0f} {lesson / decode:>6.2f}")
ratios.sort()
print(f"median ratio lesson / full decode: {ratios[len(ratios) // 2]:.2f}")
PY
echo "JSON: $out/lesson.json"
