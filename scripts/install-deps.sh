#!/bin/sh
# Installs, with apt-get, the Debian packages of a list (deps/debian-packages.txt
# unless another is given) that are missing. Quick when nothing is missing:
# dpkg is asked first.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
list="${1:-$here/deps/debian-packages.txt}"
missing=""
for pkg in $(grep -v '^[[:space:]]*#' "$list" | tr -s ' \t' '\n' | grep -v '^$'); do
    status=$(dpkg-query -W -f='${db:Status-Status}' "$pkg" 2>/dev/null || true)
    [ "$status" = "installed" ] || missing="$missing $pkg"
done
[ -z "$missing" ] && exit 0
echo "install-deps: installing:$missing"
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
# shellcheck disable=SC2086
$SUDO apt-get install -y -qq --no-install-recommends $missing
