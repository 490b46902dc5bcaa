#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz (clang, address and undefined-behaviour sanitizers)
# and runs each for SECONDS (default 600). The seed corpora in tests/fuzz/corpus/ stay as they
# are: every run grows a working corpus in the build folder. A crash leaves its input in
# $build/artifacts/ and makes the script fail; turn it into a case of the ordinary tests.
#   scripts/fuzz.sh [SECONDS]     KESTRIX_FUZZ_TARGETS="fuzz_pop3_client ..." to run only some
set -euo pipefail
seconds=${1:-600}
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

build=${KESTRIX_FUZZ_DIR:-$root/build-fuzz}
launcher=()
if command -v ccache >/dev/null 2>&1; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
CXX=${KESTRIX_FUZZ_CXX:-clang++} cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKESTRIX_FUZZ=ON -DKESTRIX_BUILD_UI=OFF -DKESTRIX_BUILD_BENCH=OFF "${launcher[@]}" >/dev/null

all=(fuzz_header_decoding fuzz_stored_files fuzz_message_table fuzz_pop3_client fuzz_http_reply
     fuzz_mime_split)
read -r -a targets <<< "${KESTRIX_FUZZ_TARGETS:-${all[*]}}"
cmake --build "$build" -j2 --target "${targets[@]}"

mkdir -p "$build/artifacts"
status=0
for t in "${targets[@]}"; do
  work="$build/corpus/$t"
  mkdir -p "$work"
  log="$build/$t.log"
  echo "== $t: $seconds s"
  if ! ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
       "$build/tests/fuzz/$t" -max_total_time="$seconds" -timeout=20 -print_final_stats=1 \
       -artifact_prefix="$build/artifacts/$t-" "$work" "$root/tests/fuzz/corpus/$t" >"$log" 2>&1; then
    status=1
    echo "$t FAILED; its output ends:"
    tail -n 40 "$log"
  fi
  grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb|#[0-9]+ +DONE)' "$log" || true
  echo "   corpus: $(ls "$work" | wc -l) inputs"
done
exit $status
