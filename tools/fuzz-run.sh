#!/usr/bin/env bash
# fuzz-run.sh TARGET SECONDS WORKDIR [SEEDDIR]: a bounded libFuzzer run from a copy of the
# seeds; fails when the target finds a crash, a leak or a sanitizer report.
set -eu
target=$1 seconds=$2 work=$3 seeds=${4:-}
rm -rf "$work"; mkdir -p "$work/corpus" "$work/artifacts"
if [ -n "$seeds" ] && [ -d "$seeds" ]; then cp -r "$seeds"/. "$work/corpus/"; fi
"$target" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$work/artifacts/" \
  "$work/corpus" >"$work/log.txt" 2>&1 || { tail -n 60 "$work/log.txt"; exit 1; }
grep -E '^stat::(number_of_executed_units|new_units_added)' "$work/log.txt" || true
