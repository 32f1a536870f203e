#!/bin/sh
# SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
# SPDX-License-Identifier: MIT

# usage: run-unprivileged.sh LIBDIR TEST [ARGS...]
# Runs a test as an unprivileged user when started as root, for the cases that need a permission
# to be refused: root reads, writes and removes whatever it likes. The test and the libraries it
# loads from LIBDIR are copied to a scratch folder first, since the build tree may sit where that
# user cannot reach.
set -eu
libdir="$1"
test="$2"
shift 2
if [ "$(id -u)" -ne 0 ]; then
    exec "$test" "$@"
fi
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/lib"
cp "$test" "$scratch/"
cp -P "$libdir"/*.so* "$scratch/lib/"
chmod -R a+rX "$scratch"
cd "$scratch"
setpriv --reuid=65534 --regid=65534 --clear-groups \
    env HOME="$scratch" LD_LIBRARY_PATH="$scratch/lib" "$scratch/$(basename "$test")" "$@"
