#!/usr/bin/env bash
# Runs every benchmark binary of a build, each pinned to one core with five interleaved
# repetitions, and prints one table: each benchmark's median beside its floor's and the ratio.
#
#   bench/run-all.sh [build folder] [core]            (defaults: build, 4)
#   BENCH_FILTER=Zoom bench/run-all.sh                 (only benchmarks matching the filter)
#   BENCH_BINARIES="vantora_board_bench" bench/run-all.sh
#
# A benchmark whose name ends in "/real_time" or "/manual_time" (one measured by the clock on the
# wall, as work done in another process or thread must be) is compared by real time, every other one by CPU
# time. A pair above 2x is marked OVER and counted at the end.
# The JSON of each binary stays in $BENCH_OUT (a temporary folder unless given).
set -euo pipefail

build=${1:-build}
core=${2:-4}
out=${BENCH_OUT:-$(mktemp -d)}
filter=${BENCH_FILTER:-.}
binaries=${BENCH_BINARIES:-"vantora_bench vantora_board_bench vantora_scene_editor_bench vantora_typing_bench
  vantora_interchange_bench vantora_previous_version_bench vantora_reports_bench vantora_http_bench
  vantora_http_auth_bench vantora_panes_bench"}

mkdir -p "$out"
for binary in $binaries; do
    path="$build/bench/$binary"
    if [[ ! -x "$path" ]]; then
        echo "missing: $path (build the target first)" >&2
        continue
    fi
    echo "running $binary on core $core ..." >&2
    QT_QPA_PLATFORM=offscreen taskset -c "$core" "$path" \
        --benchmark_filter="$filter" \
        --benchmark_repetitions=5 --benchmark_enable_random_interleaving=true \
        --benchmark_report_aggregates_only=true \
        --benchmark_out="$out/$binary.json" --benchmark_out_format=json >/dev/null \
        || echo "$binary failed (exit $?)" >&2
done

python3 - "$out" <<'EOF'
import json, pathlib, re, sys

rows = {}
for file in sorted(pathlib.Path(sys.argv[1]).glob("*.json")):
    try:
        data = json.loads(file.read_text())
    except ValueError:
        print(f"{file.name}: no readable results", file=sys.stderr)
        continue
    for entry in data.get("benchmarks", []):
        if entry.get("aggregate_name") != "median":
            continue
        name = entry["run_name"]
        wall = name.endswith(("/real_time", "/manual_time"))
        time = entry["real_time"] if wall else entry["cpu_time"]
        scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[entry["time_unit"]]
        rows[name] = (file.stem, time * scale, wall, entry.get("error_message"))

def floor_of(name):
    # BM_X/args pairs with BM_X_Floor/args; a floor may also stand for a family of sizes
    # written into the name (BM_X2000 beside BM_X_Floor).
    base, _, rest = name.partition("/")
    for candidate in (f"{base}_Floor/{rest}" if rest else f"{base}_Floor",
                      re.sub(r"\d+$", "", base) + "_Floor" + (f"/{rest}" if rest else "")):
        if candidate in rows:
            return candidate
    return None

print(f"{'benchmark':58} {'binary':30} {'work ms':>10} {'floor ms':>10} {'ratio':>7}")
worst = 0.0
over = 0
for name, (binary, time, wall, error) in sorted(rows.items(), key=lambda item: (item[1][0], item[0])):
    if "_Floor" in name:
        continue
    floor = floor_of(name)
    if error:
        print(f"{name:58} {binary:30} {'error: ' + error}")
    elif floor is None:
        print(f"{name:58} {binary:30} {time:10.4g} {'no floor':>10}")
    else:
        ratio = time / rows[floor][1] if rows[floor][1] > 0 else float("inf")
        worst = max(worst, ratio)
        clock = " (wall)" if wall else ""
        mark = "  OVER" if ratio > 2.0 else ""
        over += 1 if mark else 0
        print(f"{name:58} {binary:30} {time:10.4g} {rows[floor][1]:10.4g} {ratio:7.2f}{clock}{mark}")
print(f"\nhighest ratio: {worst:.2f}; pairs over 2x: {over}   (JSON in {sys.argv[1]})")
EOF
