#!/usr/bin/env bash
# Installs the Debian packages of scripts/packages.txt that are not installed yet.
# Quiet when everything is there.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
missing=()
while read -r pkg || [ -n "$pkg" ]; do  # a last line without its line feed counts too
  pkg=${pkg%%#*}; pkg=${pkg//[[:space:]]/}
  [ -n "$pkg" ] || continue
  status=$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$pkg")
done < "$here/packages.txt"
[ ${#missing[@]} -eq 0 ] && exit 0
# sudo drops the caller's environment, so the front end is set on the command itself:
# with no terminal (CI) a package that asks a question must not wait for an answer.
# A fresh machine may still be running its own package updates: wait for their lock.
apt=(env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=300)
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null; then
    echo "Missing packages: ${missing[*]}; run as root or install sudo." >&2
    exit 1
  fi
  apt=(sudo "${apt[@]}")
fi
echo "Installing: ${missing[*]}"
"${apt[@]}" update -qq
"${apt[@]}" install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
