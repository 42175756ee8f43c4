#!/usr/bin/env bash
# Prints reports through a real print queue: a CUPS scheduler of our own on
# 127.0.0.1 (a temporary configuration, spool and port, stopped at the end)
# with a cups-pdf queue. What comes out of the queue must put every line and
# word of ink where the PDF export puts it (within 0.6 mm), on A4; a queue
# that refuses jobs, or does not exist, gives status 3 and the reason.
#
# usage: tst_printqueue.sh MX840_LOG INKPLACES_PY
# Exits 77 (skipped) where it cannot run: no cupsd, no cups-pdf, not root
# (the cups-pdf backend runs as root to write the user's file).
set -euo pipefail
mx840_log=$1
inkplaces=$2

skip() { echo "SKIP: $*"; exit 77; }
command -v cupsd > /dev/null || skip "no cupsd (package cups)"
[ -x /usr/lib/cups/backend/cups-pdf ] || skip "no cups-pdf backend (package printer-driver-cups-pdf)"
[ "$(id -u)" -eq 0 ] || skip "the cups-pdf backend runs only under a scheduler started as root"
ppd=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd

work=$(mktemp -d)
cupsd_pid=
finish() {
  [ -n "$cupsd_pid" ] && kill "$cupsd_pid" 2> /dev/null && wait "$cupsd_pid" 2> /dev/null || true
  rm -rf "$work"
}
trap finish EXIT

port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
mkdir -p "$work"/{conf,spool/tmp,cache,state,log,runtime}
chmod 0700 "$work/runtime"
cat > "$work/conf/cupsd.conf" << CONF
Listen 127.0.0.1:$port
LogLevel warn
Browsing No
WebInterface No
DefaultAuthType None
<Location />
  Order allow,deny
  Allow 127.0.0.1
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF
cat > "$work/conf/cups-files.conf" << CONF
ServerRoot $work/conf
RequestRoot $work/spool
TempDir $work/spool/tmp
CacheDir $work/cache
StateDir $work/state
AccessLog $work/log/access_log
ErrorLog $work/log/error_log
PageLog $work/log/page_log
User lp
Group lp
SystemGroup root
Sandboxing Relaxed
CONF
chmod 0755 "$work"
chown -R root:lp "$work/spool"
chmod 0710 "$work/spool"
chmod 1770 "$work/spool/tmp"

cupsd -f -c "$work/conf/cupsd.conf" -s "$work/conf/cups-files.conf" > "$work/log/cupsd" 2>&1 &
cupsd_pid=$!
export CUPS_SERVER=127.0.0.1:$port
for _ in $(seq 100); do
  lpstat -r > /dev/null 2>&1 && break
  sleep 0.1
done
lpstat -r | grep -q "is running" || { cat "$work/log/cupsd" "$work/log/error_log" 2> /dev/null; exit 1; }
queue=mx840test
lpadmin -p "$queue" -E -v cups-pdf:/ -P "$ppd" 2> /dev/null
# A queue whose paper is Letter: the report must still come out on A4.
lpadmin -p "$queue" -o PageSize=Letter

# A table of 75 rows: two pages of the data report and the start of a third.
{
  printf 'No\tTime\tValue\tUnit\r\n'
  for i in $(seq 75); do printf '%d\t09:00:%02d\t%d.5\tRPM\r\n' "$i" $((i % 60)) $((1000 + i)); done
} > "$work/table.xls"

export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=$work/runtime
"$mx840_log" --open "$work/table.xls" --report data --export "$work/exported.pdf"
out_dir=$(getent passwd "$(id -un)" | cut -d: -f6)/PDF
before=$(ls "$out_dir" 2> /dev/null || true)
"$mx840_log" --open "$work/table.xls" --report data --print "$queue"

# cups-pdf writes the job's PDF into the user's ~/PDF once the job completes.
printed=
for _ in $(seq 300); do
  for f in "$out_dir"/*.pdf; do
    [ -e "$f" ] || continue
    grep -qxF "$(basename "$f")" <<< "$before" || printed=$f
  done
  [ -n "$printed" ] && ! lpstat -o "$queue" | grep -q . && break
  sleep 0.1
done
[ -n "$printed" ] || { echo "no PDF came out of the queue"; tail "$work/log/error_log"; exit 1; }
mv "$printed" "$work/printed.pdf"
pages() { pdfinfo "$1" | sed -n 's/^Pages: *//p'; }
[ "$(pages "$work/printed.pdf")" = "$(pages "$work/exported.pdf")" ] || { echo "page counts differ"; exit 1; }
pdfinfo "$work/printed.pdf" | grep -q "(A4)" || { echo "not printed on A4"; exit 1; }
for page in 1 3; do
  echo "page $page: $(python3 "$inkplaces" "$work/exported.pdf" "$work/printed.pdf" "$page" 0.6)"
done

# Refusals: status 3, before anything is recorded, with the reason.
expect_refusal() {
  local reason=$1
  shift
  set +e
  message=$("$mx840_log" --open "$work/table.xls" --report data --print "$@" 2>&1 > /dev/null)
  status=$?
  set -e
  [ "$status" -eq 3 ] && grep -q "$reason" <<< "$message" || {
    echo "expected status 3 and \"$reason\", got $status: $message"
    exit 1
  }
  echo "refused: $message"
}
cupsreject "$queue"
expect_refusal "not accepting jobs" "$queue"
cupsaccept "$queue"
expect_refusal "no printer queue \"no-such-queue\"" no-such-queue
CUPS_SERVER=127.0.0.1:1 expect_refusal "cannot be reached" "$queue"
echo "PASS"
