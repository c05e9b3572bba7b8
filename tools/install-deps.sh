#!/usr/bin/env bash
# Installs the Debian packages Tapestra needs: "build" (default) or "test" (build + test).
set -euo pipefail
kind=${1:-build}
here=$(cd "$(dirname "$0")" && pwd)
if [ "$kind" = test ]; then
  packages=$(awk '!/^#/ && NF {print $2}' "$here/packages.txt")
else
  packages=$(awk '$1 == "build" {print $2}' "$here/packages.txt")
fi
missing=$(for p in $packages; do dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || echo "$p"; done)
[ -z "$missing" ] && exit 0
export DEBIAN_FRONTEND=noninteractive
sudo_cmd=""
[ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
$sudo_cmd apt-get update -qq
# shellcheck disable=SC2086
$sudo_cmd apt-get install -y -qq --no-install-recommends $missing
