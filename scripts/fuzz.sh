#!/usr/bin/env bash
# Builds the fuzz targets with libFuzzer (clang, ASan+UBSan) and fuzzes each
# for SECONDS (default 60), starting from the seeds in fuzz/corpus/NAME. A
# crash or a broken check leaves its input in build/fuzz/ and fails the script.
#
#   scripts/fuzz.sh [SECONDS [NAME...]]    NAME: text xml reports replay
#                                          descriptor picture (default: all)
#   FUZZ_RUNS=10000000 scripts/fuzz.sh 86400 text    a fixed number of runs
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
shift || true
runs=()
[ -n "${FUZZ_RUNS:-}" ] && runs=("-runs=$FUZZ_RUNS")
scripts/build.sh fuzz
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
# Each target's name (its seeds are in fuzz/corpus/NAME), its program and the
# longest input worth trying (table files are read in slices of 1 MiB, so no
# fuzzed file reaches a slice's end whatever its length; short ones run fast).
while read -r name target max_len; do
  if [ $# -gt 0 ] && [[ " $* " != *" $name "* ]]; then
    continue
  fi
  corpus="build/fuzz/corpus-$name"
  mkdir -p "$corpus" "fuzz/corpus/$name"
  dict=()
  [ -f "fuzz/$name.dict" ] && dict=("-dict=fuzz/$name.dict")
  echo "== $target for ${seconds}s ${runs[*]}"
  log="build/fuzz/fuzz-$name.log"
  if ! "build/fuzz/fuzz/$target" -max_total_time="$seconds" "${runs[@]}" -max_len="$max_len" -timeout=10 \
    -rss_limit_mb=4096 -print_final_stats=1 -artifact_prefix=build/fuzz/ "${dict[@]}" \
    "$corpus" "fuzz/corpus/$name" </dev/null >"$log" 2>&1; then
    tail -n 60 "$log"
    exit 1
  fi
  grep -E "^(Done|stat::)" "$log"
done <<'TARGETS'
text fuzz_text_table 4096
xml fuzz_xml_table 4096
reports fuzz_input_reports 1024
replay fuzz_replay_file 65536
descriptor fuzz_report_descriptor 4096
picture fuzz_report_picture 65536
TARGETS
