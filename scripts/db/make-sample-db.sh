#!/bin/bash
# Makes the sample ВАРТЕНА reference database (SQL dialect 1, Russian text kept
# as Windows-1251 bytes, in columns with and without a declared character set).
#
#   make-sample-db.sh [--classifier-rows N] [--ini DIR] OUTPUT.fdb
#
# Opened in-process (embedded), as root; OUTPUT must not exist. The event
# classifier gets a few hundred rows, or N when asked (e.g. 100000 for the
# benchmark). --ini DIR writes DIR/tarnwick.ini pointing at the new file as
# user IVANOV. Logins for a server are made by firebird-server.sh.
set -euo pipefail

rows=0
ini_dir=
while [[ $# -gt 1 ]]; do
  case "$1" in
    --classifier-rows) rows="$2"; shift 2 ;;
    --ini) ini_dir="$2"; shift 2 ;;
    *) echo "unknown option: $1" >&2; exit 2 ;;
  esac
done
[[ $# -eq 1 ]] || { echo "usage: $0 [--classifier-rows N] [--ini DIR] OUTPUT.fdb" >&2; exit 2; }
out="$(realpath -m "$1")"
[[ ! -e "$out" ]] || { echo "$out exists already" >&2; exit 1; }
here="$(cd "$(dirname "$0")" && pwd)"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
sql="$work/sample.sql"

{
  # isql stores the right bytes only with the script in Windows-1251 and
  # SET NAMES before CREATE DATABASE, after the dialect.
  echo "SET SQL DIALECT 1;"
  echo "SET NAMES WIN1251;"
  echo "CREATE DATABASE '$out' USER 'SYSDBA' PAGE_SIZE 8192 DEFAULT CHARACTER SET NONE;"
  cat "$here/schema.sql"
  cat "$here/data.sql"
  "$here/classifier.sh"
  if [[ "$rows" -gt 0 ]]; then
    cat <<SQL
SET TERM ^ ;
EXECUTE BLOCK AS
  DECLARE I INTEGER = 0;
  DECLARE N INTEGER;
  DECLARE J INTEGER;
BEGIN
  SELECT COUNT(*) FROM KLASSIF INTO :N;
  WHILE (N + I < $rows) DO
  BEGIN
    J = CAST((I - MOD(I, N)) / N AS INTEGER) + 2;
    INSERT INTO KLASSIF (KODKLA, KODKL, NAMZAD)
      SELECT :N + :I + 1, KODKL || '/' || :J, NAMZAD || ' (этап ' || :J || ')'
      FROM KLASSIF WHERE KODKLA = MOD(:I, :N) + 1;
    I = I + 1;
  END
END^
SET TERM ; ^
COMMIT;
SQL
  fi
  cat "$here/grants.sql"
} | iconv -f UTF-8 -t WINDOWS-1251 > "$sql"

if ! isql-fb -q -b -i "$sql" > "$work/isql.log" 2>&1; then
  cat "$work/isql.log" >&2
  rm -f "$out"
  exit 1
fi

if [[ -n "$ini_dir" ]]; then
  mkdir -p "$ini_dir"
  printf 'base=%s\r\nuser=IVANOV\r\npassword=ivanov1\r\n' "$out" > "$ini_dir/tarnwick.ini"
fi
