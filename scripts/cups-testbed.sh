#!/usr/bin/env bash
# A private CUPS scheduler for tests, benchmarks and the local demo: its own
# configuration folder and socket, no systemd, nothing under /etc/cups touched.
#
#   cups-testbed.sh start DIR   start cupsd in DIR/cups and create the label queues
#   cups-testbed.sh stop DIR    stop it again by its PID
#
# Queues (clients reach them with CUPS_SERVER=DIR/cups/cups.sock):
#   TestLabel   default; stores every job as DIR/cups/out/TestLabel/job-<id>.bin (+ .options)
#   ZebraLabel  a real label driver (Zebra ZPL sample PPD) whose filter chain writes DIR/cups/out/zebra.zpl
#   SlowLabel   stores jobs like TestLabel but takes 4 s per job (state "printing")
#   FailLabel   its backend fails with "stop printer": the queue ends up stopped
set -euo pipefail

cmd=${1:?usage: cups-testbed.sh start|stop DIR}
dir=${2:?usage: cups-testbed.sh start|stop DIR}
CR=$dir/cups
pidfile=$CR/cupsd.pid

stop() {
  if [ -f "$pidfile" ]; then
    pid=$(cat "$pidfile")
    if kill -0 "$pid" 2>/dev/null; then
      kill -TERM "$pid" 2>/dev/null || true
      for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
      kill -KILL "$pid" 2>/dev/null || true
    fi
    rm -f "$pidfile"
  fi
}

case "$cmd" in
stop)
  stop
  exit 0
  ;;
start) ;;
*)
  echo "usage: cups-testbed.sh start|stop DIR" >&2
  exit 2
  ;;
esac

[ -x /usr/sbin/cupsd ] || { echo "cupsd is not installed (run scripts/install-deps.sh)" >&2; exit 1; }
stop # a scheduler left over from an interrupted run

rm -rf "$CR"
# Filters and backends run as user lp and must be able to walk down to the spool.
mkdir -p "$dir"; chmod 755 "$dir"
mkdir -p "$CR"/{spool/tmp,cache,state,log,ppd,out,serverbin}
chgrp lp "$CR/spool" "$CR/spool/tmp"; chmod 0710 "$CR/spool"; chmod 1770 "$CR/spool/tmp"; chmod 0777 "$CR/out"

# Our own server-bin folder: the system's filters, drivers and backends plus one
# test backend of ours, so nothing has to be installed under /usr/lib/cups.
for entry in /usr/lib/cups/*; do
  name=$(basename "$entry")
  [ "$name" = backend ] || ln -s "$entry" "$CR/serverbin/$name"
done
mkdir -p "$CR/serverbin/backend"
for b in /usr/lib/cups/backend/*; do ln -s "$b" "$CR/serverbin/backend/$(basename "$b")"; done
cat > "$CR/serverbin/backend/testbed" <<'BACKEND'
#!/bin/sh
# DEVICE_URI = testbed:/<outdir>?sleep=<sec>&exit=<code>   (exit 4 = CUPS_BACKEND_STOP)
if [ $# -eq 0 ]; then echo 'direct testbed "Unknown" "Quillmark test backend"'; exit 0; fi
uri="${DEVICE_URI#testbed:}"; out="${uri%%\?*}"; q=""
case "$uri" in *\?*) q="${uri#*\?}";; esac
sl=$(echo "$q" | tr '&' '\n' | sed -n 's/^sleep=//p')
ex=$(echo "$q" | tr '&' '\n' | sed -n 's/^exit=//p')
umask 022
echo "INFO: testbed job $1 user=$2 title=$3" >&2
[ -n "$sl" ] && sleep "$sl"
mkdir -p "$out"
if [ $# -ge 6 ]; then cat "$6" > "$out/job-$1.tmp"; else cat > "$out/job-$1.tmp"; fi
echo "copies=$4 $5" > "$out/job-$1.options"
mv "$out/job-$1.tmp" "$out/job-$1.bin"
[ -n "$ex" ] && { echo "ERROR: simulated failure exit=$ex" >&2; exit "$ex"; }
exit 0
BACKEND
chmod 0755 "$CR/serverbin/backend/testbed"

cat > "$CR/cups-files.conf" <<CONF
ServerRoot $CR
ServerBin $CR/serverbin
RequestRoot $CR/spool
TempDir $CR/spool/tmp
CacheDir $CR/cache
StateDir $CR/state
AccessLog $CR/log/access_log
ErrorLog $CR/log/error_log
PageLog $CR/log/page_log
FileDevice Yes
SystemGroup root lpadmin
User lp
Group lp
CONF
cat > "$CR/cupsd.conf" <<CONF
LogLevel warn
Listen $CR/cups.sock
Browsing No
WebInterface No
PreserveJobFiles No
MaxJobs 0
<Location />
  Order allow,deny
  Allow localhost
</Location>
<Policy default>
  JobPrivateAccess default
  JobPrivateValues default
  SubscriptionPrivateAccess default
  SubscriptionPrivateValues default
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF

/usr/sbin/cupsd -f -c "$CR/cupsd.conf" -s "$CR/cups-files.conf" >"$CR/log/cupsd.out" 2>&1 &
echo $! >"$pidfile"
export CUPS_SERVER=$CR/cups.sock
for _ in $(seq 100); do
  lpstat -r 2>/dev/null | grep -q 'scheduler is running' && break
  sleep 0.05
done
lpstat -r 2>/dev/null | grep -q 'scheduler is running' || {
  echo "cupsd did not start:" >&2; cat "$CR/log/cupsd.out" "$CR/log/error_log" >&2 2>/dev/null || true; exit 1; }

{
  lpadmin -p TestLabel -E -v "testbed:$CR/out/TestLabel" -m raw
  lpadmin -p ZebraLabel -E -v "file://$CR/out/zebra.zpl" -m drv:///sample.drv/zebra.ppd
  lpadmin -p SlowLabel -E -v "testbed:$CR/out/SlowLabel?sleep=4" -m raw
  lpadmin -p FailLabel -E -v "testbed:$CR/out/FailLabel?exit=4" -m raw
  lpadmin -d TestLabel
} 2>&1 | grep -v -i 'deprecated' >&2 || true

lpstat -e | sort | tr '\n' ' '; echo
echo "private cupsd running (pid $(cat "$pidfile")); export CUPS_SERVER=$CUPS_SERVER"
