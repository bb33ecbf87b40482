#!/usr/bin/env bash
# Makes the Debian package from the build folder, unpacks it into an empty root and checks it as a
# packager would: both programs answer --help and --version without a display, an unknown option
# exits 2, the desktop entry and the AppStream metadata validate, icons and manual pages are there.
#
# Usage: run_packaging.sh BUILD_DIR
# Exit status: 0 passed, 1 failed, 77 skipped (a tool is missing).
set -uo pipefail

readonly kSkip=77
build="$1"
for tool in cpack dpkg-deb dpkg-shlibdeps desktop-file-validate appstreamcli; do
    command -v "$tool" >/dev/null 2>&1 || { echo "SKIP: the packaging test needs $tool"; exit $kSkip; }
done

work="$(mktemp -d "${TMPDIR:-/tmp}/keywarden-package.XXXXXX")"
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

(cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; echo "FAIL: cpack"; exit 1; }
deb="$(ls "$work"/out/keywarden_*.deb 2>/dev/null | head -n 1)"
[ -n "$deb" ] || { cat "$work/cpack.log"; echo "FAIL: no package was made"; exit 1; }
echo "package: $(basename "$deb") ($(stat -c %s "$deb") bytes)"

depends="$(dpkg-deb -f "$deb" Depends)"
echo "depends: $depends"
for lib in libqt6widgets6 libqt6core6 qt6-qpa-plugins libc6; do
    [[ "$depends" == *"$lib"* ]] || fail "Depends lacks $lib"
done

root="$work/root"
dpkg-deb -x "$deb" "$root" || { echo "FAIL: dpkg-deb -x"; exit 1; }
chmod -R a-w "$root"

for f in usr/bin/keywarden usr/bin/keywarden-cli \
         usr/share/applications/de.tarvenic.Keywarden.desktop \
         usr/share/metainfo/de.tarvenic.Keywarden.metainfo.xml \
         usr/share/icons/hicolor/scalable/apps/de.tarvenic.Keywarden.svg \
         usr/share/man/man1/keywarden.1.gz usr/share/man/man1/keywarden-cli.1.gz \
         usr/share/doc/keywarden/README.md usr/share/doc/keywarden/copyright; do
    [ -f "$root/$f" ] || fail "$f is not in the package"
done
for size in 16 32 48 64 128 256; do
    icon="$root/usr/share/icons/hicolor/${size}x${size}/apps/de.tarvenic.Keywarden.png"
    [ -f "$icon" ] || { fail "no ${size}px icon"; continue; }
    file "$icon" | grep -q "$size x $size" || fail "the ${size}px icon is $(file -b "$icon")"
done
desktop-file-validate "$root/usr/share/applications/de.tarvenic.Keywarden.desktop" || fail "the desktop entry does not validate"
appstreamcli validate --no-net "$root/usr/share/metainfo/de.tarvenic.Keywarden.metainfo.xml" >"$work/as.log" 2>&1 ||
    { cat "$work/as.log"; fail "the AppStream metadata do not validate"; }
for page in keywarden keywarden-cli; do
    zcat "$root/usr/share/man/man1/$page.1.gz" | grep -q '^\.TH' || fail "$page.1 is no manual page"
    zcat "$root/usr/share/man/man1/$page.1.gz" | grep -q '@VERSION@' && fail "$page.1 carries no version"
done

# No display and an empty home: the options must answer before anything needs either.
version="$(grep -m1 -o 'Version: .*' <(dpkg-deb -I "$deb") | cut -d' ' -f2)"
for program in keywarden keywarden-cli; do
    out="$(env -i HOME="$work/home" PATH=/usr/bin:/bin "$root/usr/bin/$program" --version 2>&1)" ||
        fail "$program --version failed: $out"
    [ "$out" = "$program $version" ] || fail "$program --version says '$out', the package is $version"
    env -i HOME="$work/home" PATH=/usr/bin:/bin "$root/usr/bin/$program" --help >"$work/help.txt" 2>&1 ||
        fail "$program --help failed"
    grep -q -- '--data-dir' "$work/help.txt" || fail "$program --help does not name --data-dir"
done
env -i HOME="$work/home" QT_QPA_PLATFORM=offscreen PATH=/usr/bin:/bin "$root/usr/bin/keywarden" --falsch >"$work/usage.txt" 2>&1
status=$?
[ "$status" -eq 2 ] || fail "an unknown option ended keywarden with $status, not 2"
grep -q 'falsch' "$work/usage.txt" || fail "the usage message does not name the unknown option: $(cat "$work/usage.txt")"
env -i HOME="$work/home" PATH=/usr/bin:/bin "$root/usr/bin/keywarden-cli" --falsch >/dev/null 2>&1
status=$?
[ "$status" -eq 2 ] || fail "an unknown option ended keywarden-cli with $status, not 2"

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "PASS"
