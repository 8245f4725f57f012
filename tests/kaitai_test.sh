#!/usr/bin/env bash
# The Kaitai Struct description of the pack, docs/velkoscr.ksy, held
# against packs that scrpack makes: compiled with the pinned compiler
# (tests/kaitai), it must find every entry that "scrunpack list --json"
# finds, with the same slot, name, offset and size, and the contents of
# each listed file where the entry says.
#
# usage: kaitai_test.sh SCRPACK SCRUNPACK KSY
set -u
scrpack=$(readlink -f "$1")
scrunpack=$(readlink -f "$2")
ksy=$(readlink -f "$3")
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source "$here/checks.sh"

if [[ ! -d $here/kaitai/node_modules/kaitai-struct-compiler ]]; then
  echo "the Kaitai Struct compiler is not installed: (cd tests/kaitai && npm ci)"
  exit 1
fi

# pack_and_compare NAME: packs $work/NAME/data/flist, then compares.
pack_and_compare() {
  local dir=$work/$1
  (cd "$dir" && env -u DISPLAY "$scrpack" </dev/null >/dev/null)
  (cd "$dir" && "$scrunpack" list --json) >"$dir/scrunpack.json"
  node "$here/kaitai/parse_pack.js" "$ksy" "$dir/velkoscr" >"$dir/kaitai.json"
  check "$1: the description parses the pack" test -s "$dir/kaitai.json"
  python3 - "$dir" <<'EOF_PY'
import json, sys
dir = sys.argv[1]
listed = json.load(open(dir + "/scrunpack.json"))
parsed = json.load(open(dir + "/kaitai.json"))
fields = lambda e: (e["slot"], e["name"], e["offset"], e["size"])
if [fields(e) for e in listed] != [fields(e) for e in parsed]:
    sys.exit("entries differ:\n%s\n%s" % (listed, parsed))
pack = open(dir + "/velkoscr", "rb").read()
for entry in parsed:
    body = bytes.fromhex(entry["body"] or "")
    if body != pack[entry["offset"]:entry["offset"] + entry["size"]]:
        sys.exit("slot %d: body is not where the entry says" % entry["slot"])
EOF_PY
  check "$1: the description and scrunpack agree on every entry" test $? = 0
}

# The bundled example: pictures with capitals in their names.
cp -r "$here/../example" "$work/example"
rm -f "$work/example/velkoscr"
pack_and_compare example

# Names that test the edges: bytes above 0x7F, a 45-byte name, a blank
# line, a missing file, a file listed twice, and more names than slots.
mkdir -p "$work/edges/data"
{
  printf 'Caf\xe9.JPG\n'
  printf '%s\n' "$(printf 'n%.0s' {1..45}).jpg"
  printf '\n'
  printf 'missing.jpg\n'
  for i in $(seq 1 30); do printf 'p%02d.jpg\n' "$i"; done
  printf 'p01.jpg\n'
} >"$work/edges/data/flist"
printf '\xff\xd8caf\xe9\xff\xd9' >"$work/edges/data/Caf"$'\xe9'".JPG"
head -c 100 /dev/urandom >"$work/edges/data/$(printf 'n%.0s' {1..45}).jpg"
for i in $(seq 1 30); do head -c $((i * 7)) /dev/urandom >"$work/edges/data/p$(printf %02d "$i").jpg"; done
pack_and_compare edges

finish_checks
