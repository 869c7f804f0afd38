#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the build into a staging folder with DESTDIR and checks, from the
# installed tree alone, that:
#  - coursebook works in the folder it should: the one given on the command
#    line, a course in the current directory, the folder used last, or else
#    the user's copy of the installed sample made at the first start; a
#    folder without a course is refused by name and nothing is made there;
#  - the desktop entry and the AppStream metadata validate;
#  - the Debian package holds the installed files and depends on the
#    libraries and fonts the programs need, and lintian finds no error.
# Which folder a run works in is read from the running process itself
# (/proc/PID/cwd) and from the folder it records for the next run; a run
# counts as started once the HTML view's engine is up and it is still alive
# after the title page's 3 s. The user's folders are this test's own
# (HOME, XDG_CONFIG_HOME, XDG_DATA_HOME).
#   test-install.sh BUILD_DIR
set -euo pipefail
build=$(realpath "${1:?build directory}")
id=org.coursebook.Coursebook
work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do
        kill -KILL -- "-$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

echo "== staging install"
stage=$work/stage
DESTDIR=$stage cmake --install "$build" --prefix /usr >"$work/install.log"
usr=$stage/usr
sample=$usr/share/coursebook/course
installed=(
    bin/coursebook bin/coursebook-admin
    share/coursebook/course/users share/coursebook/course/data/info/tumb.db
    share/coursebook/course/data/help/sod.htm
    "share/applications/$id.desktop" "share/metainfo/$id.metainfo.xml"
    "share/icons/hicolor/scalable/apps/$id.svg" "share/icons/hicolor/48x48/apps/$id.png"
    share/man/man1/coursebook.1.gz share/man/man1/coursebook-admin.1.gz
    share/doc/coursebook/copyright share/doc/coursebook/changelog.gz
)
for k in 1 2 3 4 5 6 7 8 9 10; do
    installed+=("share/coursebook/course/data/tests/test$k.ini")
done
# The main window's module, in the program's private library folder.
module=$(cd "$usr" && find lib -path '*/coursebook/libcoursebook-windows.so')
[ "$(wc -l <<<"$module")" -eq 1 ] && [ -n "$module" ] || fail "main window's module: «$module»"
installed+=("$module")
for f in "${installed[@]}"; do
    [ -f "$usr/$f" ] || fail "not installed: $f"
done
[ ! -e "$sample/sources" ] || fail "question sources installed into the sample course"

echo "== desktop entry and metadata"
desktop-file-validate "$usr/share/applications/$id.desktop"
appstreamcli validate --no-net "$usr/share/metainfo/$id.metainfo.xml"
grep -qx "Icon=$id" "$usr/share/applications/$id.desktop" || fail "desktop entry names another icon"
version=$("$usr/bin/coursebook" --version)
grep -q "<release version=\"${version#coursebook }\"" "$usr/share/metainfo/$id.metainfo.xml" ||
    fail "metadata has no release $version"

# The user's folders, none of them known to the build.
home=$work/home
mkdir -p "$home" "$work/runtime" "$work/elsewhere"
chmod 700 "$work/runtime"

# start NAME DIR CONFIG DATA [ARG ...]: the installed program started in DIR
# in a process group of its own; sets pid.
start() {
    local name=$1 dir=$2 config=$3 data=$4
    shift 4
    (cd "$dir" && exec setsid env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen \
        HOME="$home" XDG_RUNTIME_DIR="$work/runtime" XDG_CONFIG_HOME="$config" \
        XDG_DATA_HOME="$data" XDG_CACHE_HOME="$work/cache" \
        "$usr/bin/coursebook" "$@" >"$work/$name.out" 2>"$work/$name.err") &
    pid=$!
    pids+=("$pid")
}

stop() {
    kill -TERM -- "-$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
}

# Whether the program has started a process of its own: the HTML view's
# engine.
has_child() {
    local stat fields
    for stat in /proc/[0-9]*/stat; do
        stat=$(cat "$stat" 2>/dev/null) || continue
        # After the name in parentheses: the state, then the parent's id.
        read -ra fields <<<"${stat##*) }"
        [ "${fields[1]:-}" = "$pid" ] && return 0
    done
    return 1
}

# runs_in NAME FOLDER: the started program works in FOLDER.
runs_in() {
    local name=$1 folder
    folder=$(realpath -m "$2")
    for _ in $(seq 120); do
        kill -0 "$pid" 2>/dev/null || fail "$name: ended early: $(cat "$work/$name.err")"
        if [ "$(readlink "/proc/$pid/cwd")" = "$folder" ] && has_child; then
            sleep 4
            kill -0 "$pid" 2>/dev/null || fail "$name: ended after start: $(cat "$work/$name.err")"
            stop
            echo "$name: works in $folder"
            return 0
        fi
        sleep 0.5
    done
    fail "$name: not working in $folder but in $(readlink "/proc/$pid/cwd")"
}

# refused NAME FOLDER TEXT: the program names FOLDER with TEXT and waits in
# its message box.
refused() {
    local name=$1 folder=$2 text=$3
    for _ in $(seq 120); do
        if grep -qF "«$folder»" "$work/$name.err" && grep -qF "$text" "$work/$name.err"; then
            kill -0 "$pid" 2>/dev/null || fail "$name: no message box"
            stop
            echo "$name: refused $folder"
            return 0
        fi
        kill -0 "$pid" 2>/dev/null || fail "$name: ended without the message: $(cat "$work/$name.err")"
        sleep 0.5
    done
    fail "$name: no refusal: $(cat "$work/$name.err")"
}

recorded() {
    grep -qxF "lastFolder=$(realpath "$2")" "$1/coursebook/coursebook.conf" ||
        fail "last folder is not $2: $(cat "$1/coursebook/coursebook.conf" 2>&1)"
}

echo "== program start"
# A class folder as a Windows copy may spell it.
cp -r "$sample" "$work/classA"
mv "$work/classA/data" "$work/classA/Data"
mv "$work/classA/Data/info" "$work/classA/Data/INFO"
mv "$work/classA/Data/INFO/tumb.db" "$work/classA/Data/INFO/TUMB.DB"
cp -r "$sample" "$work/classB"
mkdir "$work/nocourse"

start folder-given "$work/elsewhere" "$work/config" "$work/data" "$work/classA"
runs_in folder-given "$work/classA"
recorded "$work/config" "$work/classA"

start current-directory "$work/classB" "$work/config" "$work/data"
runs_in current-directory "$work/classB"
recorded "$work/config" "$work/classB"
[ ! -e "$work/data/coursebook/course" ] || fail "sample copied although a course was found"

start folder-used-last "$work/elsewhere" "$work/config" "$work/data"
runs_in folder-used-last "$work/classB"

start first-start "$work/elsewhere" "$work/config2" "$work/data2"
copy=$work/data2/coursebook/course
runs_in first-start "$copy"
recorded "$work/config2" "$copy"
for k in 1 2 3 4 5 6 7 8 9 10; do
    cmp "$sample/data/tests/test$k.ini" "$copy/data/tests/test$k.ini"
done
cmp "$sample/data/info/tumb.db" "$copy/data/info/tumb.db"

start no-course "$work/elsewhere" "$work/config" "$work/data" "$work/nocourse"
refused no-course "$work/nocourse" "нет учебного курса"
start missing-folder "$work/elsewhere" "$work/config" "$work/data" "$work/missing"
refused missing-folder "$work/missing" "не найдена"
[ -z "$(ls -A "$work/nocourse")" ] || fail "files made in a refused folder"
[ ! -e "$work/missing" ] || fail "a refused folder was made"
[ -z "$(ls -A "$work/elsewhere")" ] || fail "files made in the starting folder"
recorded "$work/config" "$work/classB"

# An installation without the main window's module says so and waits in its box.
rm "$usr/$module"
start no-windows "$work/elsewhere" "$work/config" "$work/data" "$work/classA"
for _ in $(seq 120); do
    grep -qF "установка повреждена" "$work/no-windows.err" && break
    kill -0 "$pid" 2>/dev/null || fail "no-windows: ended without the message: $(cat "$work/no-windows.err")"
    sleep 0.5
done
grep -qF "libcoursebook-windows.so" "$work/no-windows.err" || fail "no-windows: $(cat "$work/no-windows.err")"
kill -0 "$pid" 2>/dev/null || fail "no-windows: no message box"
stop
echo "no-windows: refused"

echo "== Debian package"
cpack -G DEB -B "$work/package" --config "$build/CPackConfig.cmake" >"$work/cpack.log" 2>&1 ||
    fail "cpack: $(tail -20 "$work/cpack.log")"
deb=$(echo "$work"/package/coursebook_*.deb)
[ -f "$deb" ] || fail "no package made"
dpkg-deb -c "$deb" | sed 's|^[^ ]* [^ ]* *[0-9]* [0-9-]* [0-9:]* ||' >"$work/contents"
for f in "${installed[@]}"; do
    grep -qxF "./usr/$f" "$work/contents" || fail "not in the package: /usr/$f"
done
if grep -v '^\./usr/' "$work/contents" | grep -vqx '\./'; then
    fail "package files outside /usr: $(grep -v '^\./usr/' "$work/contents")"
fi
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for p in fonts-dejavu-core fonts-urw-base35 qt6-translations-l10n libc6 libqt6core6 \
    libqt6widgets6 libqt6webenginewidgets6 libqt6core5compat6 libjpeg62-turbo; do
    grep -qE "(^|, )$p( |,|$)" <<<"$depends" || fail "package does not depend on $p"
done
status=0
lintian --fail-on error "$deb" >"$work/lintian.log" 2>&1 || status=$?
grep -v '^running with root privileges' "$work/lintian.log" || true
[ "$status" -eq 0 ] || fail "lintian reports errors"
echo "install: all checks passed"
