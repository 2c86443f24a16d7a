#!/usr/bin/env bash
# Installs what building, testing and the demo need on Debian 12 (as root).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
if [ "$(id -u)" -ne 0 ]; then echo "setup.sh: run as root (it installs Debian packages)" >&2; exit 1; fi
export DEBIAN_FRONTEND=noninteractive
mapfile -t pkgs < <(grep -v '^\s*#' "$here/apt-packages.txt" | sed 's/\s.*//' | grep -v '^$')
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
# The Firebird server (for the tests that need a real server) has its own installer.
if [ -x "$here/db/firebird-server.sh" ] || [ -f "$here/db/firebird-server.sh" ]; then
  bash "$here/db/firebird-server.sh" install
fi
