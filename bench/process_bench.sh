#!/usr/bin/env bash
# Times whole olvar-cli commands as a user runs them, at the limits of the formats, and prints
# the table of figures with their targets and the machine's load:
#
#   bash bench/process_bench.sh [BUILD_DIR] [RUNS]
#
# BUILD_DIR (default build-release, else build) must hold olvar-cli, its data tables and
# bench/olvar_make_bench_inputs (cmake --preset release && cmake --build --preset release). The
# inputs are made once into BUILD_DIR/bench-inputs from the example survey. Each command runs
# RUNS times (default 5) after one warm-up; the table gives the median wall time and, for the
# z-score batch, the mean CPU time (user + system). Needs hyperfine and GNU time; installs nothing.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-}
if [ -z "$build" ]; then
  if [ -x build-release/olvar-cli ]; then build=build-release; else build=build; fi
fi
runs=${2:-5}
cli="$PWD/$build/olvar-cli"
[ -x "$cli" ] || { echo "no olvar-cli in $build: build it first" >&2; exit 1; }
for tool in hyperfine /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "$tool is needed (Debian packages hyperfine, time)" >&2; exit 1; }
done

inputs="$PWD/$build/bench-inputs"
if [ ! -s "$inputs/children_200000.csv" ]; then
  maker="$PWD/$build/bench/olvar_make_bench_inputs"
  [ -x "$maker" ] || { echo "no $maker: build the target olvar_make_bench_inputs" >&2; exit 1; }
  "$maker" "$PWD/$build/data/examples/demo.as" "$inputs" >/dev/null
fi
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

survey="$inputs/survey_65534.as"
# name|command|target (ms)|kind: wall, or cpu (wall and CPU)
cases=(
  "table of a 65,534-row survey|$cli table $survey|80|wall"
  "convert of the same survey|$cli convert $survey $out/converted.as|100|wall"
  "plausibility of the same survey|$cli plausibility $survey -o $out/plausibility.rtf|200|wall"
  "zscores, 1,000,000 CSV rows in and out|$cli zscores $inputs/children_1000000.csv -o $out/z1m.csv|300|cpu"
  "zscores, 200,000 children|$cli zscores $inputs/children_200000.csv -o $out/z200k.csv|80|wall"
  "report, 36,000 children in 60 clusters|$cli report $inputs/survey_36000.as -o $out/report.rtf|150|wall"
)

# The median, mean user and mean system milliseconds from hyperfine's CSV (the command is named
# "timed" there: a name with commas would shift the fields).
median_of() {
  awk -F, 'NR == 2 { printf "%.0f %.0f %.0f", $4 * 1000, $5 * 1000, $6 * 1000 }' "$1"
}

echo "olvar-cli at $(git rev-parse --short HEAD 2>/dev/null || echo '?'), build $build, $runs runs each"
echo "load before: $(uptime | sed 's/.*load average: //')"
echo
printf '| %-42s | %-24s | %-24s |\n' "command (whole process)" "median" "target"
printf '|%s|%s|%s|\n' "--------------------------------------------" "--------------------------" "--------------------------"
for entry in "${cases[@]}"; do
  IFS='|' read -r name command target kind <<<"$entry"
  hyperfine --style none --warmup 1 --runs "$runs" --export-csv "$out/t.csv" \
    --command-name timed "$command > /dev/null 2>&1" >/dev/null 2>&1 ||
    { echo "failed: $command" >&2; exit 1; }
  read -r wall user system <<<"$(median_of "$out/t.csv")"
  if [ "$kind" = cpu ]; then
    figure="$wall ms wall, $((user + system)) ms CPU"
    goal="<= $target ms wall, <= 500 ms CPU"
  else
    figure="$wall ms"
    goal="<= $target ms"
  fi
  printf '| %-42s | %-24s | %-24s |\n' "$name" "$figure" "$goal"
done

# The batch when the other cores are busy: one busy loop per other core while it runs.
busy=()
for ((k = 1; k < $(nproc); ++k)); do
  (trap 'exit 0' TERM; while :; do :; done) &
  busy+=($!)
done
hyperfine --style none --warmup 1 --runs "$runs" --export-csv "$out/t.csv" --command-name timed \
  "$cli zscores $inputs/children_1000000.csv -o $out/z1m.csv > /dev/null 2>&1" >/dev/null 2>&1 || true
for pid in "${busy[@]}"; do kill "$pid"; done
wait "${busy[@]}" 2>/dev/null || true
read -r wall user system <<<"$(median_of "$out/t.csv")"
printf '| %-42s | %-24s | %-24s |\n' "zscores, 1,000,000 rows, other cores busy" \
  "$wall ms wall" "not slower than 1 thread"

/usr/bin/time -f '%M' -o "$out/peak" "$cli" plausibility "$survey" -o "$out/plausibility.rtf" \
  >/dev/null 2>&1 || true
peak=$(tail -n 1 "$out/peak")
printf '| %-42s | %-24s | %-24s |\n' "peak memory, plausibility of the survey" \
  "$((peak / 1024)) MB" "<= 40 MB"
echo
echo "load after: $(uptime | sed 's/.*load average: //')"
