#!/usr/bin/env bash
# Writes the seed corpus of the database fuzzers with a built dravel-cli:
#   fuzz/make-corpus.sh [BUILD_DIR]     (default build-cli)
# The files are small on purpose; libFuzzer grows its own copy during a run.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
cli="$root/${1:-build-cli}/bin/dravel-cli"
template="$root/resources/templates/dravel-stb.h"
[ -x "$cli" ] || { echo "no $cli: build dravel-cli first" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

load="$root/fuzz/corpus/db_load_fuzz"
cache="$root/fuzz/corpus/db_cache_fuzz"
tmpl="$root/fuzz/corpus/db_template_fuzz"
rm -rf "$load" "$cache" "$tmpl"
mkdir -p "$load" "$cache" "$tmpl"

# Every parse leaves "parse.input" in the working directory: work in the scratch one.
cd "$work"
"$cli" template "$template" -o script.ini -q
"$cli" generate "$load/tiny.usd" --satellites 1 --transponders 1 --programs 2 --seed 1 --layout "$template" >/dev/null
"$cli" generate "$load/small.usd" --satellites 3 --transponders 6 --programs 20 --seed 2 --layout "$template" >/dev/null
"$cli" generate "$load/terrestrial.usd" --satellites 2 --transponders 4 --programs 10 --seed 3 --terrestrial \
    --layout "$template" >/dev/null
"$cli" generate "$load/empty.ddf" --satellites 0 --transponders 0 --programs 0 --layout "$template" >/dev/null

cp "$work/script.ini" "$cache/script.ini"
# A cache with the program section only, and one cut inside a field record.
python3 - "$work/script.ini" "$cache" <<'PY'
import struct, sys
data = open(sys.argv[1], 'rb').read()
sections, at = [], 0
while at < len(data):
    start = at
    (n,) = struct.unpack_from('<H', data, at); at += 2 + n
    (count,) = struct.unpack_from('<H', data, at); at += 2
    for _ in range(count):
        (m,) = struct.unpack_from('<H', data, at); at += 2 + m + 28
    sections.append(data[start:at])
open(sys.argv[2] + '/program-only.ini', 'wb').write(sections[2])
open(sys.argv[2] + '/cut.ini', 'wb').write(data[: len(sections[0]) + 40])
PY

# The bundled template itself is a seed too: scripts/fuzz-smoke adds resources/templates.
cat > "$tmpl/minimal.h" <<'H'
/*#tp_node@*/ { UINT32 sat_id; UINT32 tp_id; UINT32 frq : 16 /*#pos:1@*/; UINT32 sym : 16; }
/*#sat_node@*/ { UINT32 sat_id; UINT16 name_len; UINT8 satname[32] /*#type:string|pos:1@*/; }
/*#prog_node@*/ { UINT32 sat_id; UINT32 tp_id; UINT32 prog_id; UINT32 x : 3 /*#name:"A|B"|pos 2@*/; UINT32 y : 0x1D; }
H
echo "corpus written under fuzz/corpus/"
