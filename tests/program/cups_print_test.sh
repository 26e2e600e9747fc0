#!/usr/bin/env bash
# File > Print Geometry on a real CUPS queue, as a user prints: a scheduler of the test's own
# with a cups-pdf queue made the default, KELM in a virtual display, Print pressed in the print
# dialog; then File > Print Magnetic field with KELM_PRINT_TO naming the queue, without a
# dialog. Both jobs must complete under the name KELM and their PDFs hold the pages' texts.
# Everything started is stopped again; a scheduler that cannot start fails the test.
set -euo pipefail
kelm=$1
project=$2

source "$(dirname "$0")/xvfb_session.sh"

queue=kelm-test-$$
cups=$work/cups
pdf_conf=/etc/cups/cups-pdf-$queue.conf
cupsd_pid=
stop_cups() {
  rm -f "$pdf_conf"
  if [ -n "$cupsd_pid" ]; then
    kill "$cupsd_pid" 2>/dev/null || true
    # Until it has exited (a zombie, as our child) or five seconds have passed.
    for _ in $(seq 50); do
      case "$(awk '{print $3}' "/proc/$cupsd_pid/stat" 2>/dev/null)" in Z | "") break ;; esac
      sleep 0.1
    done
    kill -KILL "$cupsd_pid" 2>/dev/null || true
    wait "$cupsd_pid" 2>/dev/null || true
  fi
  cleanup
}
trap stop_cups EXIT

cups_fail() { fail "cupsd cannot start: $*"; }
command -v cupsd >/dev/null || cups_fail "it is not installed (Debian package cups)"
[ -x /usr/lib/cups/backend/cups-pdf ] || cups_fail "the cups-pdf backend is missing (Debian package printer-driver-cups-pdf)"
[ "$(id -u)" -eq 0 ] || cups_fail "the cups-pdf backend runs only for a scheduler started as root"
ppd=$(ls /usr/share/ppd/cups-pdf/CUPS-PDF_*.ppd 2>/dev/null | head -n 1)
[ -n "$ppd" ] || cups_fail "no cups-pdf PPD under /usr/share/ppd/cups-pdf"

# The scheduler's filters run as lp, so the tree must be open to it.
chmod 755 "$work"
mkdir -p "$cups"/{etc/ppd,spool/tmp,cache,state,log,home} "$cups/out"
chmod 755 "$cups" "$cups"/{etc,spool,cache,state,log}
chmod 1777 "$cups/spool/tmp" "$cups/out"
cat >"$cups/etc/cups-files.conf" <<EOF
SystemGroup root
ServerRoot $cups/etc
RequestRoot $cups/spool
TempDir $cups/spool/tmp
CacheDir $cups/cache
StateDir $cups/state
ErrorLog $cups/log/error_log
AccessLog $cups/log/access_log
PageLog $cups/log/page_log
EOF
cat >"$cups/etc/cupsd.conf" <<EOF
LogLevel info
Listen $cups/cups.sock
Browsing No
WebInterface No
PreserveJobHistory Yes
PageLogFormat %p %u %j %T %P %C %{job-name}
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  JobPrivateValues none
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
EOF
cp /etc/cups/raw.* "$cups/etc/" 2>/dev/null || true
# cups-pdf reads its settings only from /etc/cups; this file names the test's output folder.
cat >"$pdf_conf" <<EOF
Out $cups/out
AnonDirName $cups/out
Spool $cups/cups-pdf-spool
Log $cups/log
EOF

export CUPS_SERVER=$cups/cups.sock CUPS_SERVERROOT=$cups/etc HOME=$cups/home
cupsd -f -c "$cups/etc/cupsd.conf" -s "$cups/etc/cups-files.conf" >"$cups/log/cupsd.out" 2>&1 &
cupsd_pid=$!
for _ in $(seq 100); do lpstat -r 2>/dev/null | grep -q "is running" && break; sleep 0.1; done
lpstat -r 2>/dev/null | grep -q "is running" ||
  cups_fail "$(cat "$cups/log/cupsd.out" "$cups/log/error_log" 2>/dev/null | tail -n 5)"
# The PostScript that cups-pdf takes keeps the page's text readable when cairo writes it.
lpadmin -p "$queue" -E -v "cups-pdf:/$queue" -P "$ppd" -o pdftops-renderer-default=pdftocairo 2>"$cups/log/lpadmin" ||
  fail "lpadmin could not add the queue: $(cat "$cups/log/lpadmin")"
lpoptions -d "$queue" >/dev/null 2>&1 || fail "the queue could not be made the default"
[ "$(lpstat -d)" = "system default destination: $queue" ] || fail "the queue is not the default: $(lpstat -d)"

# The scheduler's own record of a finished job: "QUEUE USER ID [TIME] total PAGES NAME".
logged_job() {  # job id -> its record, waited for briefly
  local record=
  for _ in $(seq 50); do
    record=$(grep -E "^$queue [^ ]+ $1 \[[^]]*\] total " "$cups/log/page_log" 2>/dev/null) && break
    sleep 0.1
  done
  echo "$record"
}
check_job() {  # job id
  local record
  record=$(logged_job "$1")
  grep -qE " total 1 KELM$" <<<"$record" ||
    fail "job $1 is not logged as one page named KELM: \"$record\""
}

choose_file_item() {  # position in the File menu, which opens on its first item
  local downs=()
  for _ in $(seq $(( $1 - 1 ))); do downs+=(Down); done
  menu_keys f "${downs[@]}" Return
}
completed() { lpstat -W completed -o "$queue" 2>/dev/null | grep -c "^$queue-" || true; }
# cups-pdf names its file after the job, so each page is read back and removed before the next.
check_output() {  # texts the page must hold
  for _ in $(seq 100); do ls "$cups/out"/*.pdf >/dev/null 2>&1 && break; sleep 0.1; done
  local output
  output=$(ls "$cups/out"/*.pdf 2>/dev/null | head -n 1)
  [ -n "$output" ] || fail "cups-pdf wrote no PDF into $cups/out"
  local pages text
  pages=$(pdfinfo "$output" | sed -n 's/^Pages: *//p')
  [ "$pages" = 1 ] || fail "the printed PDF has $pages pages"
  text=$(pdftotext -layout "$output" -)
  for expected in "$@"; do
    grep -qF -- "$expected" <<<"$text" || fail "the printed PDF lacks \"$expected\": $text"
  done
  rm -f "$output"
}

start_kelm "$project"
wait_for_line "File KLPLT.RES loaded" 30
# Until then the print commands are grey and the keys below would reach File > Print instead,
# which prints the window's picture under the same dialog title.
wait_for_first_idle_pass

# "Print Geometry" is the File menu's fourth item. Escape closes whatever opened and the choice
# is repeated when no dialog comes.
dialog=
for _ in 1 2 3; do
  choose_file_item 4
  dialog=$(timeout 10 xdotool search --sync --onlyvisible --name '^Print$' | head -n 1) && break
  xdotool key Escape
done
[ -n "$dialog" ] || fail "File > Print Geometry showed no print dialog"
eventually 10 has_focus "$dialog" || xdotool windowfocus --sync "$dialog" || true
xdotool key Return  # Print, the dialog's default button

for _ in $(seq 600); do [ "$(completed)" -ge 1 ] && break; sleep 0.1; done
[ "$(completed)" -eq 1 ] ||
  fail "no completed job on $queue within 60 s: $(lpstat -o 2>&1) $(grep -E '^E ' "$cups/log/error_log" | tail -n 5)"

check_job 1
check_output "KELM demo versioin" "kelm-beams.example.org" "iteration N=" "beam current I=" " 60"

# The same queue named by KELM_PRINT_TO: the page goes there without a dialog.
kill "$kelm_pid"
wait "$kelm_pid" 2>/dev/null || true  # its frame gone, the next search finds the new one
: >"$log"
KELM_PRINT_TO=printer:$queue start_kelm "$project"
wait_for_line "File KLPLT.RES loaded" 30
wait_for_first_idle_pass
for _ in 1 2 3; do
  choose_file_item 5  # "Print Magnetic field"
  for _ in $(seq 200); do [ "$(completed)" -ge 2 ] && break 2; sleep 0.1; done
  xdotool key Escape
done
[ "$(completed)" -eq 2 ] || fail "KELM_PRINT_TO=printer:$queue left no second job: $(lpstat -o 2>&1)"
[ "$(windows_named Print)" -eq 0 ] || fail "KELM_PRINT_TO=printer:$queue still showed the print dialog"
check_job 2
check_output "Magnetic field, Gs" "Z(mm)"

echo "1 passed, 0 failed"
