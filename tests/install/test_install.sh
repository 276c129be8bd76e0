#!/usr/bin/env bash
# Installs the build into a temporary DESTDIR and checks the installed tree:
# layout, menu entry, icons and AppStream data; then runs the installed
# launcher for a user whose HOME is a temporary folder.
#   test_install.sh BUILD_DIR
set -euo pipefail
build="$1"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR="$tmp/root" cmake --install "$build" --prefix /usr >/dev/null
usr="$tmp/root/usr"
id=hu.zentavo.Zentavo

# --- layout -----------------------------------------------------------------
for f in bin/zentavo bin/zentavo-start bin/zentavo-mkdb; do
  [ -x "$usr/$f" ] || fail "$f is not installed as a program"
done
for f in share/zentavo/Help/index.htm share/zentavo/Help/style.css share/zentavo/Pics/save16.ico \
         share/zentavo/Pics/cancel16.ico share/zentavo/schema.sql \
         share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
         share/icons/hicolor/scalable/apps/$id.svg; do
  [ -f "$usr/$f" ] || fail "$f is missing"
done
for size in 16 22 24 32 48 64 128 256; do
  png="$usr/share/icons/hicolor/${size}x${size}/apps/$id.png"
  [ -f "$png" ] || fail "no ${size}px icon"
  got="$(identify -format '%m %w %h %A' "$png")"
  case "$got" in
    "PNG $size $size "[BbTt]*) ;;   # alpha channel: Blend (newer ImageMagick) or True
    *) fail "${size}px icon is '$got'" ;;
  esac
done
# Nothing of the build tree's writable program folder is installed.
for f in Zentavo.ini Zentavo.sqb Html SQL; do
  [ ! -e "$usr/bin/$f" ] && [ ! -e "$usr/share/zentavo/$f" ] || fail "$f was installed"
done

# --- menu entry and AppStream data ---------------------------------------------
desktop="$usr/share/applications/$id.desktop"
desktop-file-validate "$desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$usr/share/metainfo/$id.metainfo.xml" >/dev/null \
  || fail "appstreamcli validate: $(appstreamcli validate --no-net "$usr/share/metainfo/$id.metainfo.xml")"
grep -qx 'Exec=zentavo-start' "$desktop" || fail "the menu entry does not run the launcher"
grep -qx "Icon=$id" "$desktop" || fail "the menu entry names another icon"
grep -qx 'Categories=Office;Calendar;ContactManagement;' "$desktop" || fail "categories"
grep -q '^Name=Zentavo$' "$desktop" && grep -q '^Comment=.*ügyfelek' "$desktop" || fail "Hungarian name and comment"

# --- running the installed program ------------------------------------------------
home="$tmp/home"
mkdir -p "$home"
data="$home/.local/share/zentavo"
# Runs the installed launcher as a user of that HOME; extra VAR=value words
# go into its environment. The program closes itself once it has shown its
# main window and writes each message it shows to the standard error.
start() {
  local rc=0
  env -i PATH=/usr/bin:/bin HOME="$home" QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 \
      ZENTAVO_TEST_QUIT_MS=300 "$@" "$usr/bin/zentavo-start" >"$tmp/out" 2>&1 || rc=$?
  grep '^zentavo-message:' "$tmp/out" >"$tmp/messages" || true
  return $rc
}
messages() { cat "$tmp/messages"; }
before="$(cd "$tmp/root" && find . | sort)"

# First start: an empty database is made in the data folder, once, and said so.
start || fail "first start: exit $? $(cat "$tmp/out")"
[ "$(wc -l <"$tmp/messages")" -eq 1 ] || fail "first start messages: $(messages)"
grep -q '^zentavo-message: Üzenet: Üdvözöljük! Ez a Zentavo első indítása' "$tmp/messages" \
  || fail "first start message: $(messages)"
grep -qF "$data/Zentavo.sqb" "$tmp/messages" || fail "the message does not name the database: $(messages)"
[ -f "$data/Zentavo.sqb" ] || fail "no database in the data folder"
[ "$(sqlite3 "$data/Zentavo.sqb" "select count(*) from sqlite_master where name in ('beallit','dolog3','ugyfel')")" = 3 ] \
  || fail "the new database lacks the tables"
[ -f "$data/Zentavo.ini" ] || fail "no ini file in the data folder"
grep -qx "Path=$data/Zentavo.sqb" "$data/Zentavo.ini" || fail "ini database path: $(cat "$data/Zentavo.ini")"
[ -d "$data/Html" ] || fail "no Html folder in the data folder"
[ "$(cd "$tmp/root" && find . | sort)" = "$before" ] || fail "the program wrote into the installed tree"

# Second start: the same database is opened, nothing is said.
sqlite3 "$data/Zentavo.sqb" "insert into tulajdonos (tulajdonos) values ('Próba Kft.')"
start || fail "second start: exit $? $(cat "$tmp/out")"
[ ! -s "$tmp/messages" ] || fail "second start messages: $(messages)"
[ "$(sqlite3 "$data/Zentavo.sqb" "select tulajdonos from tulajdonos")" = "Próba Kft." ] || fail "the database was replaced"

# A database that goes missing later is reported, not made again; the copy
# the closes left is offered in its place (the automatic answer declines).
rm "$data/Zentavo.sqb"
start || true
head -n 1 "$tmp/messages" | grep -q '^zentavo-message: Megerősítés: Nem létező adatbázis:' \
  && grep -q "Visszaállítsam a legutóbbi ép másolatot" "$tmp/messages" || fail "missing database: $(messages)"
[ ! -e "$data/Zentavo.sqb" ] || fail "a missing database was made again"

# XDG_DATA_HOME moves the data folder; ZENTAVO_DIR wins over both.
start XDG_DATA_HOME="$tmp/xdg" || fail "XDG_DATA_HOME start: $(cat "$tmp/out")"
[ -f "$tmp/xdg/zentavo/Zentavo.sqb" ] && [ -f "$tmp/xdg/zentavo/Zentavo.ini" ] || fail "XDG_DATA_HOME not used"
mkdir -p "$tmp/own"
start XDG_DATA_HOME="$tmp/xdg2" ZENTAVO_DIR="$tmp/own" || fail "ZENTAVO_DIR start: $(cat "$tmp/out")"
[ -f "$tmp/own/Zentavo.sqb" ] && [ -f "$tmp/own/Zentavo.ini" ] || fail "ZENTAVO_DIR not used"
[ ! -e "$tmp/xdg2/zentavo" ] || fail "the data folder was made although ZENTAVO_DIR names another"

# A file that is not a database is damaged: it is not opened, the copy the
# last close left of the same database is offered, and the file is left as it is.
printf 'Ez nem adatbázis.\n%.0s' $(seq 300) >"$tmp/own/Zentavo.sqb"
cp "$tmp/own/Zentavo.sqb" "$tmp/junk"
start ZENTAVO_DIR="$tmp/own" || true
grep -q '^zentavo-message: Megerősítés: Az adatbázis sérült, így nem nyitom meg:' "$tmp/messages" \
  && grep -q 'file is not a database' "$tmp/messages" && grep -q 'Visszaállítsam a legutóbbi ép másolatot' "$tmp/messages" \
  || fail "not a database: $(messages)"
cmp -s "$tmp/junk" "$tmp/own/Zentavo.sqb" || fail "the damaged file was changed"

echo "install test passed"
