#!/usr/bin/env bash
# Starts a private CUPS server for the printing tests and gives it one PDF
# queue that takes any paper size as the default printer, and two that take
# only standard sizes: VexaA4 and VexaLetter (output out/A4.pdf, out/Letter.pdf).
#
# usage: cups-start.sh DIR QUEUE
#
# Everything lives under DIR: the configuration (etc/), the spool, cache and
# state folders, the logs (log/), the socket (cups.sock) and the printed
# output (out/print.pdf). The tests reach the server through
# CUPS_SERVER=DIR/cups.sock; nothing of the machine's own CUPS set-up is used
# or changed.
#
# The queue uses the CUPS-PDF printer description (printer-driver-cups-pdf)
# with one line added that declares PDF as the printer's own language, and
# the device file://DIR/out/print.pdf. A job therefore runs through cupsd's
# real filter chain (pdftopdf, which places the pages on the requested media)
# and the PDF that comes out is written by cupsd's file device. The cups-pdf
# backend itself is not used: it reads its settings from /etc/cups only, and
# it prints through PostScript and Ghostscript, which loses the text layer of
# the Cyrillic glyphs, so the printed text could no longer be read back.
#
# When the server cannot be started the script fails if CI is set; otherwise
# it leaves DIR/unavailable saying why and succeeds, and the printing tests
# skip.
set -uo pipefail

dir=${1:?usage: cups-start.sh DIR QUEUE}
queue=${2:?usage: cups-start.sh DIR QUEUE}
socket=$dir/cups.sock
ppd_source=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd
generic_ppd=/usr/share/ppd/cupsfilters/Generic-PDF_Printer-PDF.ppd

unavailable() {
    echo "cups-start: $*" >&2
    if [[ -f $dir/log/error_log ]]; then
        echo "--- $dir/log/error_log (last lines)" >&2
        tail -n 30 "$dir/log/error_log" >&2
    fi
    if [[ -n ${CI:-} ]]; then
        exit 1
    fi
    mkdir -p "$dir" && echo "$*" > "$dir/unavailable"
    echo "cups-start: CI is not set: the printing tests will be skipped" >&2
    exit 0
}

stop_old() {
    [[ -f $dir/cupsd.pid ]] || return 0
    local pid
    pid=$(cat "$dir/cupsd.pid")
    # Only a cupsd started on this folder's configuration.
    if [[ -r /proc/$pid/cmdline ]] && tr '\0' ' ' < "/proc/$pid/cmdline" | grep -q "cupsd.*$dir/etc/"; then
        kill "$pid" 2>/dev/null
        for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
        kill -9 "$pid" 2>/dev/null
    fi
    return 0
}

for tool in cupsd lpadmin lpstat; do
    command -v "$tool" >/dev/null || [[ -x /usr/sbin/$tool ]] \
        || unavailable "$tool is missing (Debian packages cups, cups-client)"
done
[[ -f $ppd_source ]] || unavailable "$ppd_source is missing (Debian package printer-driver-cups-pdf)"
[[ -f $generic_ppd ]] || unavailable "$generic_ppd is missing (Debian package cups-filters)"
(( ${#socket} < 100 )) || unavailable "socket path too long: $socket"
cupsd=$(command -v cupsd || echo /usr/sbin/cupsd)
lpadmin=$(command -v lpadmin || echo /usr/sbin/lpadmin)

stop_old
rm -rf "$dir"
mkdir -p "$dir"/{etc/ppd,spool/tmp,cache,state,log,out} || unavailable "cannot make $dir"
# cupsd runs its filters as the user lp: they must be able to reach the spool.
chmod 755 "$dir" "$dir/out"

cat > "$dir/etc/cupsd.conf" <<CONF
LogLevel info
MaxLogSize 0
Listen $socket
Browsing No
WebInterface No
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
    Allow all
  </Limit>
</Policy>
CONF

cat > "$dir/etc/cups-files.conf" <<CONF
ServerRoot $dir/etc
RequestRoot $dir/spool
TempDir $dir/spool/tmp
CacheDir $dir/cache
StateDir $dir/state
AccessLog $dir/log/access_log
ErrorLog $dir/log/error_log
PageLog $dir/log/page_log
Printcap $dir/state/printcap
User lp
Group lp
SystemGroup root
FileDevice Yes
CONF

# The CUPS-PDF description, told that the printer takes PDF as it is.
sed 's|^\*ModelName:.*|&\n*cupsFilter: "application/vnd.cups-pdf 0 -"|' "$ppd_source" \
    > "$dir/etc/pdf-queue.ppd" || unavailable "cannot write the printer description"

# setsid and the redirections detach the server from the test run, which
# would otherwise wait for it; the cleanup fixture stops it by its pid.
setsid "$cupsd" -f -c "$dir/etc/cupsd.conf" -s "$dir/etc/cups-files.conf" \
    </dev/null >"$dir/log/cupsd.out" 2>&1 &
echo $! > "$dir/cupsd.pid"

export CUPS_SERVER=$socket
running=
for _ in $(seq 150); do
    if lpstat -r 2>/dev/null | grep -q "is running"; then running=1; break; fi
    kill -0 "$(cat "$dir/cupsd.pid")" 2>/dev/null || break
    sleep 0.1
done
[[ -n $running ]] || { cat "$dir/log/cupsd.out" >&2; stop_old; unavailable "cupsd did not start"; }

"$lpadmin" -p "$queue" -E -v "file://$dir/out/print.pdf" -P "$dir/etc/pdf-queue.ppd" 2>&1 \
    | grep -v "drivers are deprecated" >&2
"$lpadmin" -d "$queue" || { stop_old; unavailable "cannot make $queue the default printer"; }
if ! lpstat -d | grep -q ": $queue\$" || ! lpstat -p "$queue" | grep -q "enabled"; then
    lpstat -t >&2
    stop_old
    unavailable "the queue $queue is not ready"
fi
# Two office printers without custom sizes, with the margins of a laser:
# the generic PDF printer of cups-filters on A4 and on Letter paper.
for paper in A4 Letter; do
    "$lpadmin" -p "Vexa$paper" -E -v "file://$dir/out/$paper.pdf" -P "$generic_ppd" -o "PageSize=$paper" 2>&1 \
        | grep -v "drivers are deprecated" >&2
    lpstat -p "Vexa$paper" | grep -q "enabled" || { stop_old; unavailable "the queue Vexa$paper is not ready"; }
done
echo "cups-start: cupsd $(cat "$dir/cupsd.pid") on $socket, default printer $queue -> $dir/out/print.pdf"
