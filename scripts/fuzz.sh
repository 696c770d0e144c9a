#!/usr/bin/env bash
# Runs every fuzz target (or the ones named) in turn, one process at a time and
# niced, for SECONDS each (default 600), and prints the executions per target.
# New inputs collect in build/fuzz/fuzz-work/<target>; findings in
# build/fuzz/fuzz-work/artifacts. Add a finding's input to
# tests/fuzz/corpus/<target>/ once it is fixed.
#   bash scripts/fuzz.sh [SECONDS] [target...]
# FUZZ_MAX_LEN (default 512) bounds the input size in bytes.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-600}
max_len=${FUZZ_MAX_LEN:-512}
shift || true
bash scripts/setup.sh >/dev/null
cmake --preset fuzz -G Ninja >/dev/null
cmake --build --preset fuzz -j2 >/dev/null

work=build/fuzz/fuzz-work
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for dir in tests/fuzz/corpus/*/; do targets+=("$(basename "$dir")"); done
fi

status=0
for target in "${targets[@]}"; do
  mkdir -p "$work/$target" "$work/artifacts"
  log="$work/$target.log"
  if nice build/fuzz/tests/fuzz/fuzz_"$target" -max_total_time="$seconds" -max_len="$max_len" -timeout=10 -rss_limit_mb=2048 \
       -artifact_prefix="$work/artifacts/$target-" -print_final_stats=1 \
       "$work/$target" "tests/fuzz/corpus/$target" >"$log" 2>&1; then
    result=ok
  else
    result="FINDING (see $log)"
    status=1
  fi
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo "?")
  printf '%-20s %12s executions  %s\n' "$target" "$runs" "$result"
done
exit $status
