#!/usr/bin/env bash
# Prints the HTML export of a report in a real browser (headless Chromium,
# with a temporary profile): one A4 sheet per report page, every line and
# word of ink within 0.6 mm of where the PDF export puts it.
#
# usage: tst_htmlprint.sh MX840_LOG INKPLACES_PY
# Exits 77 (skipped) without Chromium.
set -euo pipefail
mx840_log=$1
inkplaces=$2

command -v chromium > /dev/null || { echo "SKIP: no chromium"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -m 0700 "$work/runtime"
export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=$work/runtime

# 80 rows: three pages of the data report, the last one short.
{
  printf 'No\tTime\tValue\tUnit\r\n'
  for i in $(seq 80); do printf '%d\t09:00:%02d\t%d.5\tRPM\r\n' "$i" $((i % 60)) $((1000 + i)); done
} > "$work/table.xls"
"$mx840_log" --open "$work/table.xls" --report data --export "$work/report.pdf"
"$mx840_log" --open "$work/table.xls" --report data --export "$work/report.html"

timeout 120 chromium --headless --no-sandbox --disable-gpu --no-first-run --no-pdf-header-footer \
  --user-data-dir="$work/profile" --print-to-pdf="$work/browser.pdf" "file://$work/report.html" \
  > "$work/chromium.log" 2>&1 || { cat "$work/chromium.log"; exit 1; }

pages() { pdfinfo "$1" | sed -n 's/^Pages: *//p'; }
expected=$(pages "$work/report.pdf")
[ "$(pages "$work/browser.pdf")" = "$expected" ] || {
  echo "the browser printed $(pages "$work/browser.pdf") sheets for $expected report pages"
  exit 1
}
pdfinfo "$work/browser.pdf" | grep -q "(A4)" || { echo "not printed on A4"; exit 1; }
for page in 1 "$expected"; do
  echo "sheet $page: $(python3 "$inkplaces" "$work/report.pdf" "$work/browser.pdf" "$page" 0.6)"
done
echo "PASS"
