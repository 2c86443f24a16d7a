#!/bin/bash
# Sets up the reference databases the editor's tests read, once:
#   OUTDIR/ivanov/tarnwick.ini       the sample database as IVANOV (Z23 = 0: ZN)
#   OUTDIR/petrova/tarnwick.ini      the same as PETROVA (Z23 = 1: ZNS)
#   OUTDIR/z23bad/tarnwick.ini       a copy in which PETROVA's Z23 is 2
#   OUTDIR/norole/tarnwick.ini       NOROLE, whose rights query is refused
#   OUTDIR/unreachable/tarnwick.ini  a database path that does not exist
set -euo pipefail
out="$(realpath -m "$1")"
[[ -f "$out/ready-2" ]] && exit 0
# Test processes may start together: one makes the databases, the others wait.
mkdir -p "$(dirname "$out")"
exec 9>"$out.lock"
flock 9
[[ -f "$out/ready-2" ]] && exit 0
here="$(cd "$(dirname "$0")" && pwd)"
make_db="$here/../../scripts/db/make-sample-db.sh"
rm -rf "$out.tmp"
mkdir -p "$out.tmp"/{ivanov,petrova,z23bad,norole,unreachable}
bash "$make_db" --ini "$out.tmp/ivanov" "$out.tmp/sample.fdb" >/dev/null
sed -i "s|$out.tmp|$out|" "$out.tmp/ivanov/tarnwick.ini"
printf 'base=%s\r\nuser=PETROVA\r\npassword=petrova1\r\n' "$out/sample.fdb" > "$out.tmp/petrova/tarnwick.ini"
cp "$out.tmp/sample.fdb" "$out.tmp/z23bad.fdb"
echo "UPDATE ZAM SET Z23 = 2 WHERE USERNAME = 'PETROVA'; COMMIT;" | isql-fb -q -b -user SYSDBA "$out.tmp/z23bad.fdb"
printf 'base=%s\r\nuser=PETROVA\r\npassword=petrova1\r\n' "$out/z23bad.fdb" > "$out.tmp/z23bad/tarnwick.ini"
printf 'base=%s\r\nuser=NOROLE\r\npassword=norole4\r\n' "$out/sample.fdb" > "$out.tmp/norole/tarnwick.ini"
printf 'base=%s\r\nuser=IVANOV\r\npassword=ivanov1\r\n' "$out/missing/none.fdb" > "$out.tmp/unreachable/tarnwick.ini"
touch "$out.tmp/ready-2"
rm -rf "$out"
mv "$out.tmp" "$out"
