#!/usr/bin/env bash
# Save safety campaign: kills saves of a large document with SIGKILL and
# checks that the saved file is never torn.
#
#   scripts/save_safety.sh BUILD_DIR [RUNS] [MEGABYTES]
#
# RUNS (default 200) kills for each save path; MEGABYTES (default 20) is the
# size of the document. Two save paths are tried:
#   cli      velmor-cli run --open NEW.vlm --save TARGET ''
#   desktop  velmor --save-as NEW.vlm TARGET (the desktop program's own
#            document save, on the offscreen platform; skipped when the
#            desktop program was not built)
# TARGET holds the old document before every run. Each kill lands at a
# random moment from when the temporary file appears to a little after the
# rename, as long as a timed uninterrupted save took for that. Afterwards TARGET must be byte for byte the old document
# or the one an uninterrupted save writes; anything else is a torn file.
# Temporary files a killed save leaves beside TARGET are counted and removed.
#
# Then a save that runs out of room (a file size limit, as a full disk does)
# must fail with exit 2, name the file and the reason, and keep the old file.
#
# Prints one summary line per save path; exits 1 when any file was torn.
set -euo pipefail

build=${1:?usage: save_safety.sh BUILD_DIR [RUNS] [MEGABYTES]}
runs=${2:-200}
megabytes=${3:-20}
build=$(cd "$build" && pwd)
cli="$build/app/cli/velmor-cli"
desktop="$build/app/gui/velmor"
[[ -x $cli ]] || { echo "no $cli: build velmor-cli first" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/velmor-save-safety.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"

# --- two large documents ---------------------------------------------------------------------------
# One line is typed and saved, then its record is repeated down the page
# until the document has the size asked for.
make_document() { # LINE-SCRIPT OUT
    "$cli" run --save line.vlm "$1" >/dev/null
    python3 - line.vlm "$2" "$megabytes" <<'EOF'
import sys
data = open(sys.argv[1], "rb").read()
header, base, count = data[:8], data[8:72], int.from_bytes(data[72:76], "little")
assert count == 1, "the line document holds one line"
left, record = data[76:80], data[84:]
lines = int(sys.argv[3]) * 1024 * 1024 // (8 + len(record)) + 1
out = bytearray(header + base + lines.to_bytes(4, "little"))
for i in range(lines):
    out += left + (10 + 30 * i).to_bytes(4, "little") + record
open(sys.argv[2], "wb").write(out)
EOF
}
make_document '{Click 10 10}a+b+c+d+e+f+g+h+i+j+k+l+m+n+o+p+q+r+s+t+u+v+w+x+y+z' old.vlm
make_document '{Click 10 10}1+2x+3y^2+4z^3+5/6+7w+8v+9u+10t+11s+12r+13q+14p' new.vlm
echo "documents: old $(stat -c %s old.vlm) bytes, new $(stat -c %s new.vlm) bytes"

# Milliseconds, without starting a process.
now_ms() { local t=${EPOCHREALTIME/./}; echo $((t / 1000)); }

# Runs a save into TARGET in the background; its pid is in $saver.
start_save() { # PATH-KIND TARGET
    case $1 in
        cli) "$cli" run --open new.vlm --save "$2" '' >/dev/null 2>error.txt & ;;
        desktop) QT_QPA_PLATFORM=offscreen "$desktop" --save-as new.vlm "$2" >/dev/null 2>error.txt & ;;
    esac
    saver=$!
}

reset_target() { cp old.vlm target.tmp-copy && mv -f target.tmp-copy target.vlm; }

writing() { compgen -G '.target.vlm.*.tmp' >/dev/null; }

# Waits, with shell builtins only, until the save starts writing its
# temporary file or ends.
wait_for_writing() {
    while kill -0 "$saver" 2>/dev/null && ! writing; do :; done
}

# Times one uninterrupted save from the moment its temporary file appears to
# the moment it is renamed over the target, in milliseconds.
calibrate() { # PATH-KIND
    reset_target
    start_save "$1" target.vlm
    wait_for_writing
    local start
    start=$(now_ms)
    while kill -0 "$saver" 2>/dev/null && writing; do :; done
    local window=$(($(now_ms) - start))
    wait "$saver" || { echo "$1: the uninterrupted save failed: $(cat error.txt)" >&2; exit 2; }
    cp target.vlm "expected-$1.vlm"
    echo $((window > 0 ? window : 1))
}

torn_total=0
campaign() { # PATH-KIND
    local kind=$1 window old=0 new=0 torn=0 leftovers=0
    window=$(calibrate "$kind")
    # From the first byte written to a little after the rename.
    local span=$((window + window / 4 + 1))
    for ((i = 0; i < runs; i++)); do
        reset_target
        local delay=$(((RANDOM * 32768 + RANDOM) % span))
        start_save "$kind" target.vlm
        wait_for_writing
        sleep "$((delay / 1000)).$(printf '%03d' $((delay % 1000)))"
        kill -9 "$saver" 2>/dev/null || true
        wait "$saver" 2>/dev/null || true
        if cmp -s target.vlm old.vlm; then
            old=$((old + 1))
        elif cmp -s target.vlm "expected-$kind.vlm"; then
            new=$((new + 1))
        else
            torn=$((torn + 1))
            cp target.vlm "torn-$kind-$i.vlm"
        fi
        for t in .target.vlm.*.tmp; do
            [[ -e $t ]] || continue
            leftovers=$((leftovers + 1))
            rm -f "$t"
        done
    done
    torn_total=$((torn_total + torn))
    echo "$kind: $runs kills within ${span} ms of the writing starting (writing and renaming took ${window} ms):" \
        "old $old, new $new, torn $torn (temporary files left by killed saves: $leftovers)"
}

# A save that runs out of room: the file size limit stops the writing midway.
no_room() { # PATH-KIND
    local kind=$1 status=0
    reset_target
    # Without the limit's signal the write fails with "File too large".
    (trap '' XFSZ; ulimit -f $((megabytes * 1024 / 2)); start_save "$kind" target.vlm; wait "$saver") || status=$?
    local left
    left=$(compgen -G '.target.vlm.*.tmp' | wc -l || true)
    if [[ $status -eq 2 ]] && cmp -s target.vlm old.vlm && [[ $left -eq 0 ]]; then
        echo "$kind: out of room: exit 2, old file kept, no temporary file: $(tail -n 1 error.txt)"
    else
        echo "$kind: out of room: exit $status, old file kept: $(cmp -s target.vlm old.vlm && echo yes || echo NO)," \
            "temporary files: $left"
        torn_total=$((torn_total + 1))
    fi
}

campaign cli
if [[ -x $desktop ]]; then campaign desktop; else echo "desktop: skipped, no $desktop"; fi

no_room cli
if [[ -x $desktop ]]; then no_room desktop; fi

[[ $torn_total -eq 0 ]]
