#!/usr/bin/env bash
# Installs the distribution packages the build and tests need, and only those
# that are missing, so a machine that has them does no network work.
set -eu
packages="cmake make g++ pkg-config libncurses-dev libsqlite3-dev libssl-dev libgtest-dev libgmock-dev libbenchmark-dev tmux locales clang groff-base dpkg-dev"
missing=""
for p in $packages; do
  dpkg -s "$p" >/dev/null 2>&1 || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
echo "Installing:$missing"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q $missing
