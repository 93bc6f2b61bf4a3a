#!/usr/bin/env bash
# Checks the package that scripts/package.sh built, without installing it:
# unpacks it into a temporary root, checks its fields and file list, runs
# the unpacked programs (brindle-cli --help and a convert, then the window
# under Xvfb with HOME at an empty folder, as root too), validates the
# desktop entry and lints the manual pages.
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$src/build}
deb=$build/brindle_3.10-1_$(dpkg --print-architecture).deb
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "check-package: $*" >&2; exit 1; }

root=$work/root
dpkg-deb -x "$deb" "$root"
[ "$(dpkg-deb -f "$deb" Section)" = utils ] || fail "section is not utils"
dpkg-deb -f "$deb" Depends | grep -q 'libwxgtk3.2' || fail "Depends lacks the window's libraries"

expected="./usr/bin/brindle
./usr/bin/brindle-cli
./usr/bin/brindle-printer
./usr/share/applications/brindle.desktop
./usr/share/bash-completion/completions/brindle-cli
./usr/share/doc/brindle/README.md
./usr/share/doc/brindle/changelog.Debian.gz
./usr/share/doc/brindle/copyright"
for size in 128 16 256 32 48 64; do
  expected+=$'\n'"./usr/share/icons/hicolor/${size}x$size/apps/brindle.png"
done
expected+=$'\n'"./usr/share/man/man1/brindle-cli.1.gz
./usr/share/man/man1/brindle-printer.1.gz
./usr/share/man/man1/brindle.1.gz"
listed=$(cd "$root" && find . ! -type d | LC_ALL=C sort)
[ "$listed" = "$(LC_ALL=C sort <<<"$expected")" ] ||
  fail "unexpected file list:"$'\n'"$(diff <(echo "$listed") <(LC_ALL=C sort <<<"$expected"))"

desktop-file-validate "$root/usr/share/applications/brindle.desktop" || fail "desktop entry"
for page in "$root"/usr/share/man/man1/*.gz; do
  warnings=$(zcat "$page" | groff -ww -man -Tutf8 -z 2>&1)
  [ -z "$warnings" ] || fail "$page: $warnings"
done

# The unpacked brindle-cli: its help, and a convert that writes only its
# output (its private folder in TMPDIR is gone afterwards).
bin=$root/usr/bin
"$bin/brindle-cli" --help | grep -q '^brindle-cli convert' || fail "brindle-cli --help"
mkdir "$work/here" "$work/tmp" "$work/home"
(cd "$work/here" && TMPDIR=$work/tmp "$bin/brindle-cli" convert \
  "$src/res/samples/gray-cafe.bmp" --output converted.bmp) || fail "brindle-cli convert"
[ "$(ls -A "$work/here")" = converted.bmp ] && [ -z "$(ls -A "$work/tmp")" ] ||
  fail "convert wrote more than its output"
head -c 2 "$work/here/converted.bmp" | grep -q BM || fail "convert wrote no BMP"

# The unpacked window, as a user with an empty home folder starts it.
home=$work/home
[ "$(HOME=$home "$bin/brindle" --version)" = "brindle 3.10
settings (files.ini, nvupload.ini): $home/.config/brindle/
temporary pictures (Temp.bmp, TempTe.bmp): $home/.cache/brindle/" ] || fail "brindle --version"
# run_window: starts the window, waits until it shows, clicks "Exit" (at
# 2 pixels per dialog unit, inside x 842..1016, y 550..596) and waits for
# the program to end.
run_window() {
  (cd "$work/here" && exec env -u XDG_CONFIG_HOME -u XDG_CACHE_HOME HOME="$home" \
    xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" bash -c '
      "$1" & program=$!
      id=$(timeout 20 xdotool search --sync --onlyvisible --name "^Brindle_3.10\$" | head -n 1)
      eval "$(xdotool getwindowgeometry --shell "$id")"
      sleep 0.5
      xdotool mousemove $((X + 928)) $((Y + 572)) click 1
      wait $program' _ "$bin/brindle")
}
run_window || fail "the window did not open and close"
printf '[LOGO]\r\r\nPrinter=0\r\r\nPort=4\r\r\nBaudRate=3\r\r\nBitLength=0\r\r\n%b' \
  'Parity=0\r\r\nStopBit=0\r\r\nHandShake=0\r\r\n' |
  cmp - "$home/.config/brindle/nvupload.ini" || fail "nvupload.ini"
[ -f "$home/.config/brindle/files.ini" ] && [ ! -s "$home/.config/brindle/files.ini" ] ||
  fail "files.ini is not empty"
[ "$(stat -c %a "$home/.config/brindle")" = 700 ] || fail "the settings folder is not private"
# A stored logo is previewed at start: its conversion goes to the cache.
logo=$src/res/samples/gray-cafe.bmp
printf '[LOGO]\r\r\nLogofile1=%s|gray-cafe.bmp|3000|120|200\r\r\n' "$logo" \
  >"$home/.config/brindle/files.ini"
run_window || fail "the window did not open and close with a logo"
cmp "$work/here/converted.bmp" "$home/.cache/brindle/Temp.bmp" || fail "the preview's Temp.bmp"
[ "$(ls -A "$work/here")" = converted.bmp ] || fail "the window wrote into the current folder"
echo "check-package: $deb is fine"
