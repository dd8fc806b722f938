#!/usr/bin/env bash
# The same survey work done three ways, timed in one run: one korvel-batch
# survey process with --jobs 2, the same on one core (--jobs 1, pinned), and
# one korvel-batch search process per star and method, two at a time. All
# search periods of 0.2 to 1 d with phase shift 0.05 (or GRID) by
# Lafler-Kinman and Deeming on a generated synthetic survey.
#
# Usage: bench/survey_vs_processes.sh [BUILD_DIR [STARS [SEED [OBSERVATIONS [GRID [SHAPE]]]]]]
#   BUILD_DIR defaults to build/ (a Release build), STARS to 500; an empty
#   SEED takes the generator's; OBSERVATIONS (mean per star) defaults to 80;
#   GRID replaces the search options, SHAPE adds options of the generator.
#   The long stars, 650 observations over 2000 days with periods 1 to 100 d:
#     bench/survey_vs_processes.sh build 300 '' 650 \
#       '--pmin 1 --pmax 100 --phase-shift 0.05' '--span 2000 --periods 1 100'
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
stars=${2:-500}
seed=${3:-}
observations=${4:-80}
grid=${5:---pmin 0.2 --pmax 1 --phase-shift 0.05}
shape=${6:-}
batch="$build/src/batch/korvel-batch"
for program in "$batch" "$build/samples/korvel-make-survey"; do
  [ -x "$program" ] || { echo "$program is not built" >&2; exit 1; }
done

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# shellcheck disable=SC2086 # SHAPE is options, split on purpose
"$build/samples/korvel-make-survey" --observations "$observations" $shape -- "$scratch/stars" \
  "$stars" $seed >/dev/null
files=("$scratch"/stars/star_*.dat)

now() { date +%s.%N; }
rate() { awk -v n="$1" -v t="$2" 'BEGIN { printf "%.1f", n / t }'; }

start=$(now)
"$batch" survey --jobs 2 --methods lk,deeming $grid -o "$scratch/survey.csv" "${files[@]}"
survey=$(awk -v a="$start" -v b="$(now)" 'BEGIN { printf "%.2f", b - a }')

start=$(now)
taskset -c 1 "$batch" survey --jobs 1 --methods lk,deeming $grid -o "$scratch/one.csv" "${files[@]}"
one=$(awk -v a="$start" -v b="$(now)" 'BEGIN { printf "%.2f", b - a }')

# One process per star and method, each on one thread, two running at once.
start=$(now)
for f in "${files[@]}"; do printf '%s\0%s\0%s\0%s\0' lk "$f" deeming "$f"; done |
  xargs -0 -n 2 -P 2 sh -c "exec \"\$0\" search --threads 1 --json --method \"\$1\" \"\$2\" $grid \
    >/dev/null" "$batch"
processes=$(awk -v a="$start" -v b="$(now)" 'BEGIN { printf "%.2f", b - a }')

rows=$(($(wc -l <"$scratch/survey.csv") - 1))
errors=$(awk -F, 'NR > 1 && $NF != "" { n++ } END { print n + 0 }' "$scratch/survey.csv")
means=$(awk -F, 'NR > 1 { o += $3; t += $5; n++ } END { printf "%.1f observations, %.0f trials", o / n, t / n }' "$scratch/survey.csv")
echo "stars: ${#files[@]}, rows: $rows (with an error: $errors); per row $means"
echo "survey, --jobs 2:               $survey s, $(rate "${#files[@]}" "$survey") stars/s"
echo "survey, --jobs 1 on one core:   $one s, $(rate "${#files[@]}" "$one") stars/s"
echo "search processes, 2 at a time:  $processes s, $(rate "${#files[@]}" "$processes") stars/s"
