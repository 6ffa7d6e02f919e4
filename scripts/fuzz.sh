#!/usr/bin/env bash
# Builds every libFuzzer target (folder tests/fuzz_NAME holds target fuzz_NAME) with clang under
# AddressSanitizer and UndefinedBehaviorSanitizer in build/fuzz, runs each for FUZZ_SECONDS
# (default 600) on its corpus (build/fuzz/corpus/NAME, seeded from tests/fuzz_NAME/seeds) and
# prints the executions. Exits non-zero when a target finds a fault; its log and the input
# that shows the fault stay in build/fuzz.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-600}
build=build/fuzz
jobs=${JOBS:-2}

targets=()
for dir in tests/fuzz_*/; do
  [ -f "$dir/CMakeLists.txt" ] && targets+=("$(basename "$dir")")
done
if [ ${#targets[@]} -eq 0 ]; then
  echo "fuzz: no targets"
  exit 0
fi

gen=; command -v ninja >/dev/null && gen="-G Ninja"
cmake -S . -B "$build" $gen -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
  -DCMAKE_CXX_COMPILER=clang++ -DTVEX_FUZZ=ON >/dev/null
cmake --build "$build" -j "$jobs" --target "${targets[@]}"

rc=0
for t in "${targets[@]}"; do
  corpus="$build/corpus/$t"
  mkdir -p "$corpus"
  inputs=("$corpus")
  [ -d "tests/$t/seeds" ] && inputs+=("tests/$t/seeds")
  log="$build/$t.log"
  echo "== $t: ${seconds} s"
  if "$build/$t" -max_total_time="$seconds" -print_final_stats=1 -timeout=30 \
       -artifact_prefix="$build/$t-" "${inputs[@]}" >"$log" 2>&1; then
    status=ok
  else
    status="FAULT (see $log)"
    rc=1
  fi
  execs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo "?")
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 || true)
  echo "$t: $execs executions in ${seconds} s, ${cov:-cov: ?}, $status"
done
exit $rc
