#!/usr/bin/env bash
# Malformed files campaign: every proper prefix of each document through
# `velmor-cli dump`.
#
#   scripts/malformed_files.sh BUILD_DIR [FILE.vlm...]
#
# Without files, the example documents in examples/. For every prefix (0 to
# size-1 bytes) the command must exit 2 within 20 seconds, its error line
# must name the file, and the memory it peaks at (maximum resident set size,
# the figure `/usr/bin/time -v` shows) is recorded. The whole files must dump
# with exit 0. Prints one line per document and a summary; exits 1 on any
# failure.
set -euo pipefail

build=${1:?usage: malformed_files.sh BUILD_DIR [FILE.vlm...]}
shift
cli="$build/app/cli/velmor-cli"
build=$(cd "$build" && pwd)
cli="$build/app/cli/velmor-cli"
[[ -x $cli ]] || { echo "no $cli: build velmor-cli first" >&2; exit 2; }
here=$(cd "$(dirname "$0")/.." && pwd)
if [[ $# -eq 0 ]]; then set -- "$here"/examples/*.vlm; fi

work=$(mktemp -d "${TMPDIR:-/tmp}/velmor-malformed.XXXXXX")
trap 'rm -rf "$work"' EXIT

python3 - "$cli" "$work" "$@" <<'EOF'
import os, subprocess, sys, time

cli, work, files = sys.argv[1], sys.argv[2], sys.argv[3:]
prefix = os.path.join(work, "prefix.vlm")

err_file, rss_file = os.path.join(work, "err"), os.path.join(work, "rss")

def dump(path):
    """Exit status, standard error and peak memory in KiB of one dump."""
    # /usr/bin/time measures the command alone (a child forked from this
    # script would count the script's own memory from before the exec).
    with open(err_file, "wb") as err:
        status = subprocess.call(["/usr/bin/time", "-f", "%M", "-o", rss_file, "timeout", "20", cli, "dump", path],
                                 stdout=subprocess.DEVNULL, stderr=err)
    return status, open(err_file, "rb").read().decode("latin-1"), int(open(rss_file).read().split()[-1])

failures = total = 0
peak = 0
start = time.time()
for name in files:
    data = open(name, "rb").read()
    status, _, whole_rss = dump(name)
    bad = [] if status == 0 else [f"the whole file exits {status}"]
    doc_peak = 0
    for n in range(len(data)):
        with open(prefix, "wb") as f:
            f.write(data[:n])
        status, err, rss = dump(prefix)
        total += 1
        doc_peak = max(doc_peak, rss)
        last = err.strip().splitlines()[-1] if err.strip() else ""
        if status != 2 or prefix not in last:
            bad.append(f"{n} bytes: exit {status}, {last!r}")
    peak = max(peak, doc_peak)
    failures += len(bad)
    print(f"{os.path.basename(name)}: {len(data)} prefixes, {len(bad)} failures, "
          f"peak memory {doc_peak} KiB (whole file {whole_rss} KiB)")
    for b in bad[:10]:
        print("   ", b)
print(f"total: {total} prefixes, {failures} failures, peak memory {peak} KiB, {time.time() - start:.0f} s")
sys.exit(1 if failures else 0)
EOF
