#!/usr/bin/env bash
# Builds the fuzz targets with libFuzzer (clang, ASan+UBSan) and fuzzes each
# for SECONDS (default 60), starting from the seeds in fuzz/corpus/NAME. A
# crash or a broken check leaves its input in build/fuzz/ and fails the script.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
scripts/build.sh fuzz
# The corpus folder of each target (seeds in fuzz/corpus/NAME), and the target.
while read -r name target; do
  corpus="build/fuzz/corpus-$name"
  mkdir -p "$corpus" "fuzz/corpus/$name"
  dict=()
  [ -f "fuzz/$name.dict" ] && dict=("-dict=fuzz/$name.dict")
  echo "== $target for ${seconds}s"
  log="build/fuzz/fuzz-$name.log"
  if ! "build/fuzz/fuzz/$target" -max_total_time="$seconds" -max_len=65536 -timeout=10 \
    -rss_limit_mb=4096 -print_final_stats=1 -artifact_prefix=build/fuzz/ "${dict[@]}" \
    "$corpus" "fuzz/corpus/$name" </dev/null >"$log" 2>&1; then
    tail -n 60 "$log"
    exit 1
  fi
  grep -E "^(Done|stat::)" "$log"
done <<'TARGETS'
text fuzz_text_table
xml fuzz_xml_table
reports fuzz_input_reports
replay fuzz_replay_file
descriptor fuzz_report_descriptor
TARGETS
