#!/bin/bash
# The Firebird server the login and role tests need, on a Debian 12 without
# systemd as PID 1. Run as root.
#
#   firebird-server.sh install   preseeds SYSDBA's password, installs the server
#   firebird-server.sh start     starts it on 127.0.0.1:3050 as user firebird,
#                                puts the sample database on it, makes the logins
#   firebird-server.sh stop      stops the server started by "start" (by its PID)
#
# After "start" the tests need TW_FB_SERVER=127.0.0.1 (and, when not the
# default, TW_FB_SERVER_DB, the database's path on the server).
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
state="${TW_FB_STATE_DIR:-/tmp/tarnwick-firebird}"
pidfile="$state/firebird.pid"
db="${TW_FB_SERVER_DB:-/var/lib/firebird/3.0/data/tarnwick.fdb}"
conf=/etc/firebird/3.0/SYSDBA.password

sysdba_password() {
  # The package keeps the password it set in its configuration.
  # shellcheck disable=SC1090
  (source "$conf" && printf '%s' "$ISC_PASSWORD")
}

port_open() { (exec 3<>/dev/tcp/127.0.0.1/3050) 2>/dev/null; }

case "${1:-}" in
  install)
    password="${TW_FB_SYSDBA_PASSWORD:-masterkey}"
    # The preseed has to be there before the package's first configuration.
    printf 'firebird3.0-server shared/firebird/sysdba_password/first_install password %s\n' "$password" |
      debconf-set-selections
    printf 'firebird3.0-server shared/firebird/sysdba_password/new_password password %s\n' "$password" |
      debconf-set-selections
    DEBIAN_FRONTEND=noninteractive apt-get install -y firebird3.0-server firebird3.0-utils
    ;;

  start)
    if [[ -f "$pidfile" ]] && kill -0 "$(cat "$pidfile")" 2>/dev/null; then
      echo "already running (PID $(cat "$pidfile"))"
      exit 0
    fi
    if port_open; then
      echo "something else listens on 127.0.0.1:3050" >&2
      exit 1
    fi
    mkdir -p "$state" /run/firebird3.0
    chown firebird:firebird /run/firebird3.0

    # A fresh sample database, owned by the server's user.
    tmp="$(mktemp -d)"
    trap 'rm -rf "$tmp"' EXIT
    "$here/make-sample-db.sh" "$tmp/tarnwick.fdb"
    install -o firebird -g firebird -m 660 "$tmp/tarnwick.fdb" "$db"

    setpriv --reuid=firebird --regid=firebird --init-groups /usr/sbin/firebird > "$state/firebird.log" 2>&1 &
    echo $! > "$pidfile"
    for _ in $(seq 100); do
      port_open && break
      kill -0 "$(cat "$pidfile")" 2>/dev/null || { cat "$state/firebird.log" >&2; exit 1; }
      sleep 0.1
    done
    port_open || { echo "the server did not start listening" >&2; exit 1; }

    # Logins: IVANOV and PETROVA have rights rows, SIDOROV has none, NOROLE
    # lacks the role.
    isql-fb -q -b -user SYSDBA -password "$(sysdba_password)" "127.0.0.1:$db" <<'SQL'
CREATE OR ALTER USER IVANOV PASSWORD 'ivanov1';
CREATE OR ALTER USER PETROVA PASSWORD 'petrova2';
CREATE OR ALTER USER SIDOROV PASSWORD 'sidorov3';
CREATE OR ALTER USER NOROLE PASSWORD 'norole4';
COMMIT;
SQL
    echo "Firebird server running (PID $(cat "$pidfile")): TW_FB_SERVER=127.0.0.1 TW_FB_SERVER_DB=$db"
    ;;

  stop)
    [[ -f "$pidfile" ]] || { echo "not started here"; exit 0; }
    pid="$(cat "$pidfile")"
    if kill -0 "$pid" 2>/dev/null; then
      kill "$pid"
      for _ in $(seq 100); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
      done
      kill -0 "$pid" 2>/dev/null && kill -9 "$pid"
    fi
    rm -f "$pidfile"
    ;;

  *)
    echo "usage: $0 install|start|stop" >&2
    exit 2
    ;;
esac
