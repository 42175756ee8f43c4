#!/usr/bin/env bash
# Builds the table file readers with libFuzzer (clang, ASan+UBSan) and fuzzes
# each for SECONDS (default 60), starting from the seeds in fuzz/corpus. A
# crash or a broken check leaves its input in build/fuzz/ and fails the script.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
scripts/build.sh fuzz
for target in text xml; do
  corpus="build/fuzz/corpus-$target"
  mkdir -p "$corpus"
  dict=()
  [ -f "fuzz/$target.dict" ] && dict=("-dict=fuzz/$target.dict")
  echo "== fuzz_${target}_table for ${seconds}s"
  log="build/fuzz/fuzz-$target.log"
  if ! "build/fuzz/fuzz/fuzz_${target}_table" -max_total_time="$seconds" -max_len=65536 -timeout=10 \
    -rss_limit_mb=4096 -print_final_stats=1 -artifact_prefix=build/fuzz/ "${dict[@]}" \
    "$corpus" "fuzz/corpus/$target" >"$log" 2>&1; then
    tail -n 60 "$log"
    exit 1
  fi
  grep -E "^(Done|stat::)" "$log"
done
