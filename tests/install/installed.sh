#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
# SPDX-License-Identifier: MIT

# Puts the build where a user would get it and runs the installed stephost as a user would: no
# option, no environment variable pointing back at the build.
#   installed.sh install BUILD_DIR   cmake --install into a scratch prefix with DESTDIR, run the
#                                    office flow, build examples/sdk-plugin against the prefix and
#                                    load it beside the file plug-in
#   installed.sh package BUILD_DIR   make the Debian package, unpack it and run the office flow
set -euo pipefail
mode="$1"
build="$2"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Runs FLOW with STEPHOST in a fresh copy of FILES and prints the report.
run_flow() { # STEPHOST FLOW FILES [OPTION...]
    local stephost="$1" flow="$2" files="$3"
    shift 3
    local work
    work="$(mktemp -d "$scratch/work.XXXX")"
    cp -r "$files/." "$work/"
    (cd "$work" && env -u LD_LIBRARY_PATH -u QT_PLUGIN_PATH "$stephost" "$@" run "$flow" 2>"$scratch/stderr") ||
        fail "$stephost run $flow: $(cat "$scratch/stderr")"
}

# The report's variable NAME must hold the JSON value EXPECTED.
expect_variable() { # REPORT NAME EXPECTED
    python3 -c 'import json, sys
value = json.loads(sys.argv[1])["variables"][sys.argv[2]]["value"]
sys.exit(0 if value == json.loads(sys.argv[3]) else "%s is %s" % (sys.argv[2], json.dumps(value)))' "$@" ||
        fail "unexpected report"
}

# The office example under a prefix (ROOT/usr, or ROOT/opt/...), run from its documentation folder.
check_office_flow() { # STEPHOST DOC_DIR
    local examples="$2/examples" report
    report="$(run_flow "$1" "$examples/office.json" "$examples/office-files")"
    expect_variable "$report" backedUp \
        '["backup/2026-12/sales(1).txt", "backup/2026-12/costs.txt", "backup/2026-12/staff.txt"]'
    expect_variable "$report" numbered \
        '["scans/001_receipt-taxi.txt", "scans/002_receipt-hotel.txt", "scans/003_receipt-lunch.txt"]'
}

# Every ELF file under the prefix finds its libraries through $ORIGIN only, so the prefix may move.
check_relative_rpaths() { # PREFIX
    local file
    while IFS= read -r file; do
        readelf -d "$file" 2>/dev/null | grep -E 'RPATH|RUNPATH' | grep -v '\[\$ORIGIN' &&
            fail "$file has a search path outside \$ORIGIN"
    done < <(find "$1" -type f \( -perm -u+x -o -name '*.so*' \))
    return 0
}

install_and_build_sdk_plugin() {
    # The staged prefix is not where the build meant it to be: the installed files must not care.
    DESTDIR="$scratch/stage" cmake --install "$build" --prefix /opt/stephost >/dev/null
    local prefix="$scratch/stage/opt/stephost"
    local library
    library="$(find "$prefix" -name 'libhostcore.so.1' | head -1)"
    [ -n "$library" ] || fail "no libhostcore.so.1 under $prefix"
    readelf -d "$library" | grep -q 'SONAME.*\[libhostcore\.so\.1\]' || fail "libhostcore's SONAME"
    check_relative_rpaths "$prefix"
    [ -f "$prefix/share/stephost/translations/stephost_zh_CN.qm" ] || fail "no Chinese translation"
    if command -v desktop-file-validate >/dev/null; then
        desktop-file-validate "$prefix/share/applications/stephost-gui.desktop" ||
            fail "desktop entry"
    fi
    check_office_flow "$prefix/bin/stephost" "$prefix/share/doc/stephost"

    # A third-party plug-in, built from the installed example against the installed package.
    local sdk="$prefix/share/doc/stephost/examples/sdk-plugin"
    cmake -S "$sdk" -B "$scratch/sdk" -DCMAKE_BUILD_TYPE=Release -DCMAKE_PREFIX_PATH="$prefix" \
        >/dev/null || fail "configuring the SDK example"
    cmake --build "$scratch/sdk" >/dev/null || fail "building the SDK example"
    local ours
    ours="$(find "$prefix" -name 'libFileOperPlugin.so')"
    local report
    report="$(run_flow "$prefix/bin/stephost" "$sdk/greet.json" "$sdk" \
        --plugin "$ours" --plugin "$scratch/sdk/libGreetPlugin.so")"
    expect_variable "$report" greeting '"Hello, stephost!"'
    expect_variable "$report" hasNotes 'true'

    # Installed into the prefix, it is found with ours without an option.
    cmake --install "$scratch/sdk" --prefix "$prefix" >/dev/null
    report="$(run_flow "$prefix/bin/stephost" "$sdk/greet.json" "$sdk")"
    expect_variable "$report" greeting '"Hello, stephost!"'
    expect_variable "$report" hasNotes 'true'
}

unpack_package() {
    for tool in cpack dpkg-deb dpkg-shlibdeps; do
        command -v "$tool" >/dev/null || {
            echo "SKIP: no $tool"
            exit 77
        }
    done
    cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/package" >"$scratch/cpack.log" 2>&1 ||
        fail "cpack: $(cat "$scratch/cpack.log")"
    local deb
    deb="$(ls "$scratch"/package/*.deb)"
    local depends
    depends="$(dpkg-deb -f "$deb" Depends)"
    local runtimes=(libqt5core5a libqt5widgets5 libqt5svg5)
    grep -q '^FILEOPER_QT_MAJOR:STRING=6$' "$build/CMakeCache.txt" &&
        runtimes=(libqt6core6 libqt6widgets6 libqt6svg6 libqt6core5compat6)
    for runtime in "${runtimes[@]}"; do
        [[ "$depends" == *"$runtime"* ]] || fail "Depends lacks $runtime: $depends"
    done
    dpkg-deb -x "$deb" "$scratch/root"
    check_relative_rpaths "$scratch/root"
    check_office_flow "$scratch/root/usr/bin/stephost" "$scratch/root/usr/share/doc/stephost"
}

case "$mode" in
    install) install_and_build_sdk_plugin ;;
    package) unpack_package ;;
    *) fail "unknown mode $mode" ;;
esac
echo "PASS: $mode"
