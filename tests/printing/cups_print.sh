#!/usr/bin/env bash
# Prints three reports through a real print system and checks what it spooled: a private CUPS
# server (its own configuration, a loopback port, CUPS_SERVER pointing at it) with a queue whose
# output lands in the build tree (a file: device; the queue's description passes the job's PDF
# through unchanged, so what is checked is what the program sent) and A4 as its default paper.
#   cups_print.sh BIN WORK     BIN holds seiran-sample and seiran-report; WORK is a scratch folder
# A machine where the server cannot start fails the test: it never passes without printing.
# KEEP_CUPS=1 keeps the server's folder (configuration, logs) in /tmp; CUPS_LOG_LEVEL=debug
# makes its log tell every step of a job.
set -euo pipefail

bin=$(cd "$1" && pwd)
work=$2
say() { echo "cups_print: $*" >&2; }
die() {
    say "FAIL: $*"
    exit 1
}

for tool in cupsd lpadmin lpstat ipptool pdfinfo; do
    command -v "$tool" >/dev/null || [ -x "/usr/sbin/$tool" ] ||
        die "$tool がありません（scripts/deps.sh の cups、cups-ipp-utils、poppler-utils）"
done
[ "$(id -u)" -eq 0 ] || die "root で実行してください（テスト用の cupsd を動かすため）"
export PATH="$PATH:/usr/sbin"

rm -rf "$work"
mkdir -p "$work/out" "$work/data" "$work/pdf"
# Several tests run at once: everything of this run carries its process id.
queue="seiran_test_$$"
server=$(mktemp -d /tmp/seiran-cups.XXXXXX)
chmod 755 "$server"
mkdir -p "$server/etc/ppd" "$server/spool/tmp" "$server/cache" "$server/run" "$server/log"
pid=""

cleanup() {
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
        kill "$pid"
        for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
        kill -0 "$pid" 2>/dev/null && kill -9 "$pid"
    fi
    [ -n "${KEEP_CUPS:-}" ] || rm -rf "$server"
}
trap cleanup EXIT

# The queue's description: A4 by default, JIS B5 and Letter besides; a PDF goes to the device as
# it comes (a filter that copies it), so the spooled file is the job as the program made it.
cat >"$server/passthrough" <<'FILTER'
#!/bin/sh
exec cat "${6:-/dev/stdin}"
FILTER
chmod 755 "$server/passthrough"
cat >"$server/seiran-test.ppd" <<PPD
*PPD-Adobe: "4.3"
*FormatVersion: "4.3"
*FileVersion: "1.0"
*LanguageVersion: English
*LanguageEncoding: ISOLatin1
*PCFileName: "SEIRANT.PPD"
*Manufacturer: "Seiran"
*Product: "(Seiran test printer)"
*ModelName: "Seiran test printer"
*ShortNickName: "Seiran test printer"
*NickName: "Seiran test printer"
*PSVersion: "(3010.000) 0"
*LanguageLevel: "3"
*ColorDevice: False
*DefaultColorSpace: Gray
*FileSystem: False
*Throughput: "1"
*LandscapeOrientation: Plus90
*TTRasterizer: Type42
*cupsVersion: 2.4
*cupsFilter2: "application/pdf application/vnd.cups-pdf 0 $server/passthrough"
*OpenUI *PageSize/Media Size: PickOne
*OrderDependency: 10 AnySetup *PageSize
*DefaultPageSize: A4
*PageSize A4/A4: "<</PageSize[595 842]>>setpagedevice"
*PageSize B5/JIS B5: "<</PageSize[516 729]>>setpagedevice"
*PageSize Letter/Letter: "<</PageSize[612 792]>>setpagedevice"
*CloseUI: *PageSize
*OpenUI *PageRegion: PickOne
*OrderDependency: 10 AnySetup *PageRegion
*DefaultPageRegion: A4
*PageRegion A4/A4: "<</PageSize[595 842]>>setpagedevice"
*PageRegion B5/JIS B5: "<</PageSize[516 729]>>setpagedevice"
*PageRegion Letter/Letter: "<</PageSize[612 792]>>setpagedevice"
*CloseUI: *PageRegion
*DefaultImageableArea: A4
*ImageableArea A4/A4: "12 12 583 830"
*ImageableArea B5/JIS B5: "12 12 504 717"
*ImageableArea Letter/Letter: "12 12 600 780"
*DefaultPaperDimension: A4
*PaperDimension A4/A4: "595 842"
*PaperDimension B5/JIS B5: "516 729"
*PaperDimension Letter/Letter: "612 792"
PPD

start_server() {
    local port=$1
    cat >"$server/etc/cupsd.conf" <<CONF
Listen 127.0.0.1:$port
ServerName 127.0.0.1
LogLevel ${CUPS_LOG_LEVEL:-warn}
Browsing No
WebInterface No
DefaultAuthType None
PreserveJobHistory Yes
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
    cat >"$server/etc/cups-files.conf" <<CONF
ServerRoot $server/etc
RequestRoot $server/spool
TempDir $server/spool/tmp
CacheDir $server/cache
StateDir $server/run
DataDir /usr/share/cups
ServerBin /usr/lib/cups
AccessLog $server/log/access_log
ErrorLog $server/log/error_log
PageLog $server/log/page_log
SystemGroup root
FileDevice Yes
CONF
    cupsd -f -c "$server/etc/cupsd.conf" -s "$server/etc/cups-files.conf" &
    pid=$!
    export CUPS_SERVER="127.0.0.1:$port"
    for _ in $(seq 100); do
        kill -0 "$pid" 2>/dev/null || return 1
        lpstat -r 2>/dev/null | grep -q "is running" && return 0
        sleep 0.1
    done
    return 1
}

started=""
for attempt in 1 2 3 4 5; do
    port=$((20000 + ($$ * 7 + attempt * 1009) % 40000))
    if start_server "$port"; then
        started=1
        break
    fi
    [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    pid=""
done
if [ -z "$started" ]; then
    tail -20 "$server/log/error_log" >&2 2>/dev/null || true
    die "cupsd が起動できませんでした（この機械では印刷のテストができません）"
fi
say "cupsd $pid on $CUPS_SERVER"

spooled="$work/spool/job.pdf"
mkdir -p "$work/spool"
lpadmin -p "$queue" -E -v "file://$spooled" -P "$server/seiran-test.ppd" -o PageSize=A4 \
    2> >(grep -v -i "deprecated" >&2) || die "lpadmin could not add the queue"
lpstat -p "$queue" >/dev/null || die "the queue $queue is not there"

export QT_QPA_PLATFORM=offscreen
"$bin/seiran-sample" "$work/data" --grade 3 --classes 2 --pupils 10 --seed 7 >/dev/null
report() { "$bin/seiran-report" --data "$work/data" --grade 3 "$@"; }

# The same reports to PDF files give the page counts the printed ones must have.
report --test 1 soten --pdf "$work/pdf/soten.pdf"
report tsuchi --tests 1,2 --pupils 1-1,1-2,2-3 --pdf "$work/pdf/tsuchi.pdf"
report --test 1 matome --landscape --pdf "$work/pdf/matome.pdf"

# Each job is written to the device's one file: it is taken away once the queue is empty.
print_job() {
    local name=$1
    shift
    rm -f "$spooled"
    report "$@" --printer "$queue" || die "seiran-report $name --printer failed"
    for _ in $(seq 300); do
        [ -z "$(lpstat -o "$queue" 2>/dev/null)" ] && [ -s "$spooled" ] && break
        sleep 0.1
    done
    [ -z "$(lpstat -o "$queue" 2>/dev/null)" ] || die "$name: the job did not complete: $(lpstat -o "$queue")"
    [ -s "$spooled" ] || die "$name: nothing spooled"
    mv "$spooled" "$work/out/$name.pdf"
}
print_job soten --test 1 soten
print_job tsuchi tsuchi --tests 1,2 --pupils 1-1,1-2,2-3
print_job matome --test 1 matome --landscape
# --copies reaches the print system with the job.
print_job copies --test 1 soten --copies 2
last=$(lpstat -W completed -o "$queue" | awk '{print $1}' | sed 's/.*-//' | sort -n | tail -1)
ipptool -tv "ipp://$CUPS_SERVER/jobs/$last" get-job-attributes.test 2>/dev/null | grep -q "copies (integer) = 2" ||
    die "the job $last was not sent with two copies"

# A report without a paper of its own takes the printer's: Letter once the queue's default is.
lpadmin -p "$queue" -o PageSize=Letter 2>/dev/null || die "lpadmin could not change the paper"
print_job letter --test 1 soten
cp "$work/pdf/soten.pdf" "$work/pdf/letter.pdf"

# A printer that does not exist is a clear message and status 2.
set +e
missing=$(report --test 1 soten --printer "no_such_$queue" 2>&1)
status=$?
set -e
[ "$status" -eq 2 ] || die "a missing printer gave status $status"
echo "$missing" | grep -q "no_such_$queue" || die "a missing printer is not named: $missing"

# A queue that refuses jobs is told, with status 2.
cupsreject "$queue" 2>/dev/null || /usr/sbin/cupsreject "$queue"
set +e
refused=$(report --test 1 soten --printer "$queue" 2>&1)
status=$?
set -e
[ "$status" -eq 2 ] || die "a refusing queue gave status $status"
say "refused: $refused"

# Pages, page size within 1 mm and orientation of one spooled file.
check() {
    local name=$1 width=$2 height=$3 orientation=$4
    local file
    file="$work/out/$name.pdf"
    local expected got
    expected=$(pdfinfo "$work/pdf/$name.pdf" 2>/dev/null | awk '/^Pages:/ {print $2}')
    got=$(pdfinfo "$file" 2>/dev/null | awk '/^Pages:/ {print $2}')
    [ "$got" = "$expected" ] || die "$name: $got pages printed, $expected in the PDF"
    pdfinfo -f 1 -l "$got" "$file" 2>/dev/null | awk -v name="$name" -v w="$width" -v h="$height" -v o="$orientation" '
        /^Page +[0-9]+ size:/ { pw = $4; ph = $6 }
        /^Page +[0-9]+ rot:/ {
            rot = $4 % 180
            sw = rot ? ph : pw; sh = rot ? pw : ph
            # 1 mm is 2.83 points
            turned = sw > sh ? "landscape" : "portrait"
            long = sw > sh ? sw : sh; short = sw > sh ? sh : sw
            if ((long - h)^2 > 2.83^2 || (short - w)^2 > 2.83^2 || turned != o) {
                printf "%s: page %s is %.1f x %.1f pt (%s), not %s x %s %s\n", name, $2, sw, sh, turned, w, h, o
                bad = 1
            }
            n++
        }
        END { if (bad || n == 0) exit 1 }' >&2 || die "$name: wrong paper"
    say "$name: $got pages, ${width}x${height} pt $orientation"
}
check soten 595.3 841.9 portrait
check tsuchi 515.9 728.5 portrait
check matome 595.3 841.9 landscape
check letter 612 792 portrait
say "ok"
