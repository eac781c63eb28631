#!/usr/bin/env bash
# The Debian package end to end: made by cpack from a built build folder, unpacked, checked file by
# file and field by field, and its programs run from where they were unpacked.
# Usage: package_test.sh BUILD_DIR
set -euo pipefail

build=$(cd "${1:?usage: package_test.sh BUILD_DIR}" && pwd)
# Long enough for the scene to load and show its errors, if any; it loads in well under a second.
run_seconds=5

work=$(mktemp -d "${TMPDIR:-/tmp}/corvane-package.XXXXXX")
trap 'rm -rf "$work"' EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
step() { echo "== $*"; }

# Every home the programs or the tools could write to lies in the temporary folder, and no import
# path from the caller's environment can stand in for a module the package fails to depend on.
export HOME=$work/home
export XDG_DATA_HOME=$work/home/data XDG_CONFIG_HOME=$work/home/config XDG_CACHE_HOME=$work/home/cache
export XDG_RUNTIME_DIR=$work/home/runtime
mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
unset QML2_IMPORT_PATH QML_IMPORT_PATH QT_PLUGIN_PATH LD_LIBRARY_PATH QT_MESSAGE_PATTERN QT_LOGGING_RULES
export LC_ALL=C.UTF-8

[ -f "$build/CPackConfig.cmake" ] && [ -x "$build/bin/corvane" ] && [ -x "$build/bin/corvane-cvx" ] ||
    fail "configure and build $build first"

step "cpack -G DEB"
if ! (cd "$work" && cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/cpack") >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log" >&2
    fail "cpack failed"
fi
set -- "$work"/cpack/*.deb
[ $# -eq 1 ] && [ -f "$1" ] || fail "expected one .deb, found: $*"
deb=$1
echo "$(basename "$deb"), $(stat -c %s "$deb") bytes"

step "control fields"
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = corvane ] || fail "Package is '$(field Package)'"
cpack_setting() { sed -n "s/^set($1 \"\(.*\)\")\$/\1/p" "$build/CPackConfig.cmake"; }
upstream=$(cpack_setting CPACK_PACKAGE_VERSION)
[ -n "$upstream" ] || fail "no version in $build/CPackConfig.cmake"
version=$upstream-$(cpack_setting CPACK_DEBIAN_PACKAGE_RELEASE)
[ "$(field Version)" = "$version" ] || fail "Version is '$(field Version)', not '$version'"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "Architecture is '$(field Architecture)'"
for name in Maintainer Section Description; do
    [ -n "$(field $name)" ] || fail "no $name field"
done

# Package names of a relation field, without versions, alternatives taken each.
relation_names() { tr ',|' '\n' | sed -e 's/([^)]*)//g' -e 's/\[[^]]*\]//g' -e 's/:any//' -e 's/^ *//' -e 's/ *$//' | sed '/^$/d'; }
field Depends | relation_names | sort -u >"$work/depends"
for font in fonts-symbola fonts-noto-core fonts-noto-cjk; do
    field Recommends | relation_names | grep -qx "$font" || fail "$font is not recommended"
done
# What installing the package brings: its dependencies and theirs, as installed here. The editor
# runs here, so each dependency should be installed; one that is not is likely misspelt.
cp "$work/depends" "$work/brought"
while read -r pkg; do
    dpkg-query -W -f='${Status}\n' "$pkg" 2>/dev/null | grep -q ' installed$' ||
        fail "the package depends on $pkg, which is not installed here"
    dpkg-query -W -f='${Depends}, ${Pre-Depends}\n' "$pkg" | relation_names >>"$work/brought"
done <"$work/depends"
sort -u -o "$work/brought" "$work/brought"
# The packages that hold the listed files here (paths, or "*/" and the end of a path) must come
# with corvane. One dpkg query for the whole list: each takes a while.
check_owners() { # what-for list-file
    local item suffix owners
    xargs -a "$2" dpkg -S >"$work/owners" 2>/dev/null || true
    while read -r item; do
        suffix=${item#\*}
        owners=$(awk -v s="$suffix" 'length($0) >= length(s) && substr($0, length($0) - length(s) + 1) == s' "$work/owners" |
            sed -n 's/^\([^:,]*\).*/\1/p' | sort -u)
        [ -n "$owners" ] || fail "$item, used by $1, belongs to no installed Debian package"
        grep -qxF -f <(printf '%s\n' "$owners") "$work/brought" ||
            fail "$item, used by $1, is in ${owners//$'\n'/ }, which the package does not bring"
    done <"$2"
}

step "contents"
root=$work/root
dpkg-deb -x "$deb" "$root"
(cd "$root" && find . ! -type d | sed 's|^\./||' | sort) >"$work/files"
sed 's/^/  /' "$work/files"
# Only the programs, their data and the desktop integration: nothing from the tests, the
# benchmarks, the test support or the build. A later step uses each file and fails without it.
while read -r file; do
    case "$file" in
        usr/bin/corvane | usr/bin/corvane-cvx) ;;
        usr/share/corvane/DB/*.cvx | usr/share/corvane/Lang/*.json) ;;
        usr/share/applications/com.kestrona.corvane.desktop | usr/share/icons/hicolor/*/apps/corvane.* | usr/share/mime/packages/corvane.xml) ;;
        usr/share/metainfo/com.kestrona.corvane.metainfo.xml | usr/share/bash-completion/completions/corvane-cvx) ;;
        usr/share/doc/corvane/* | usr/share/man/man1/corvane*) ;;
        *) fail "unexpected file in the package: $file" ;;
    esac
done <"$work/files"
# The shipped data is the build's, laid out the same.
diff -r "$build/share/corvane" "$root/usr/share/corvane" || fail "the packaged share/corvane differs from the build's"

step "libraries"
# Each library a program names, where the loader finds it: the multiarch folder tells this
# architecture's copy from another's.
: >"$work/libraries"
for program in "$root"/usr/bin/*; do
    sonames=$(readelf -d "$program" | sed -n 's/.*(NEEDED).*\[\(.*\)\]$/\1/p')
    [ -n "$sonames" ] || fail "no libraries listed in $program"
    for soname in $sonames; do
        # The dynamic loader is listed by its path alone.
        found=$(ldd "$program" | awk -v so="$soname" '($1 == so && $2 == "=>") { print $3 } $1 ~ ("/" so "$") { print $1 }')
        if [ -z "$found" ] || [ "$found" = "not" ]; then
            fail "$(basename "$program"): $soname is not found"
        fi
        echo "*/$(basename "$(dirname "$found")")/$soname" >>"$work/libraries"
    done
done
sort -u -o "$work/libraries" "$work/libraries"
check_owners "the programs" "$work/libraries"
echo "$(wc -l <"$work/libraries") libraries, each from a package that comes with corvane"

step "desktop entry"
desktop=$root/usr/share/applications/com.kestrona.corvane.desktop
validation=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $validation"
[ -z "$validation" ] || fail "desktop-file-validate: $validation"
entry() { sed -n "s/^$1=//p" "$desktop"; }
exec_name=$(entry Exec | cut -d' ' -f1)
[ -x "$root/usr/bin/$exec_name" ] || fail "Exec names '$exec_name', which is not in usr/bin"
# A file manager hands the chosen files to the editor only through a field code.
[ "$(entry Exec)" = "$exec_name %F" ] || fail "Exec is '$(entry Exec)', not '$exec_name %F'"
icon=$(entry Icon)
compgen -G "$root/usr/share/icons/hicolor/*/apps/$icon.*" >/dev/null || fail "no icon named '$icon' in the package"
grep -q '<svg' "$root/usr/share/icons/hicolor/scalable/apps/corvane.svg" || fail "the scalable icon is not SVG"
mime_types=$(entry MimeType | tr ';' ' ')
[ -n "$mime_types" ] || fail "the desktop entry handles no MIME type"

step "MIME package"
# Compiled as the system would, into the temporary data home only.
mkdir -p "$XDG_DATA_HOME/mime/packages"
cp "$root/usr/share/mime/packages/corvane.xml" "$XDG_DATA_HOME/mime/packages/"
update-mime-database "$XDG_DATA_HOME/mime" || fail "update-mime-database refused corvane.xml"
grep -q ':application/x-corvane-material:\*\.cvx$' "$XDG_DATA_HOME/mime/globs2" || fail "*.cvx is not application/x-corvane-material"
grep -q 'Corvane material file' "$XDG_DATA_HOME/mime/packages/corvane.xml" || fail "no comment for the MIME type"
for type in $mime_types; do
    grep -q "^$type\$" "$XDG_DATA_HOME/mime/types" || fail "the desktop entry's $type is not defined by the MIME package"
done

step "manual pages"
cvx=$root/usr/bin/corvane-cvx
vendor=$root/usr/share/corvane/DB/vendor.cvx
"$cvx" --help >"$work/help.out" 2>&1 || fail "corvane-cvx --help exited with $?"
# The editor answers these without a display: no window opens.
headless() { env -u DISPLAY -u WAYLAND_DISPLAY "$root/usr/bin/corvane" "$@"; }
[ "$(headless --version)" = "corvane $upstream" ] || fail "corvane --version"
headless --help | grep -q '^Usage: .*corvane \[options\] \[FILE\.\.\.\]$' || fail "corvane --help printed no usage"
[ "$(headless --frob >/dev/null 2>&1; echo $?)" = 2 ] || fail "an unknown option did not end corvane with 2"
for page in corvane corvane-cvx; do
    MANWIDTH=80 man --warnings -l "$root/usr/share/man/man1/$page.1.gz" >"$work/$page.txt" 2>"$work/$page.warnings" ||
        fail "man $page exited with $?"
    [ ! -s "$work/$page.warnings" ] || { cat "$work/$page.warnings" >&2; fail "$page.1 renders with warnings"; }
done
# corvane-cvx's page and --help name the same commands, and the page every option that --help names.
help_commands=$(sed -n '/^Commands:/,/^$/s/^  \([^ ]\+\).*/\1/p' "$work/help.out" | sort)
page_commands=$(sed -n '/^COMMANDS$/,/^[A-Z]/s/^       \([^ ]\+\).*/\1/p' "$work/corvane-cvx.txt" | sort)
[ -n "$help_commands" ] && [ "$help_commands" = "$page_commands" ] ||
    fail "commands in --help: $(echo $help_commands); in corvane-cvx(1): $(echo $page_commands)"
for option in $(grep -oE '(^|[ [])--?[a-z][a-z-]*' "$work/help.out" | tr -d ' [' | sort -u); do
    grep -qE -- "(^|[^-[:alnum:]])$option([^-[:alnum:]]|\$)" "$work/corvane-cvx.txt" || fail "corvane-cvx(1) does not name $option"
done

step "AppStream metainfo"
metainfo=$root/usr/share/metainfo/com.kestrona.corvane.metainfo.xml
# The tree's check also finds the desktop entry that the metainfo launches.
appstreamcli validate --no-net --pedantic "$metainfo" && appstreamcli validate-tree --no-net "$root" ||
    fail "appstreamcli refused the metainfo"
grep -qF "<release version=\"$upstream\"" "$metainfo" || fail "the metainfo has no release $upstream"

step "bash completion"
# What completing the last word offers, in a folder with a material file, another file and a folder.
mkdir -p "$work/complete/folder"
touch "$work/complete/a.cvx" "$work/complete/b.json"
completions() {
    (cd "$work/complete" && bash -c 'source /usr/share/bash-completion/bash_completion && source "$0" &&
        COMP_WORDS=("$@") COMP_CWORD=$(($# - 1)) COMP_LINE="$*" && COMP_POINT=${#COMP_LINE} &&
        _corvane_cvx && printf "%s\n" "${COMPREPLY[@]}"' "$root/usr/share/bash-completion/completions/corvane-cvx" "$@") |
        sed '/^$/d' | sort | paste -sd' '
}
while IFS='|' read -r line expected; do
    eval "set -- $line"
    offered=$(completions "$@") || fail "completing '$line' failed"
    [ "$offered" = "$expected" ] || fail "completing '$line' offers '$offered', not '$expected'"
done <<'EOF'
corvane-cvx ''|--help check compare decode diff encode list
corvane-cvx d|decode diff
corvane-cvx decode --|--compact --readable
corvane-cvx encode in.json -|-o
corvane-cvx diff a.cvx ''|a.cvx folder
corvane-cvx compare a.cvx ''|
corvane-cvx compare a.cvx 1 ''|a.cvx folder
corvane-cvx encode -o ''|a.cvx b.json folder
EOF

step "lintian"
# Errors fail. Left as warnings: initial-upload-closes-no-bugs (the package is not uploaded to
# Debian, so there is no bug to close).
lintian --fail-on error --tag-display-limit 0 "$deb" || fail "lintian found errors"
zcat "$root/usr/share/doc/corvane/changelog.Debian.gz" | head -n 1 | grep -qF "corvane ($version) " ||
    fail "the changelog does not begin with version $version"

step "corvane, offscreen for $run_seconds s"
# The import trace names every QML module the scene loads, so their packages can be checked.
status=0
QT_QPA_PLATFORM=offscreen QT_QUICK_BACKEND=software QML_IMPORT_TRACE=1 \
    timeout -k 5 "$run_seconds" "$root/usr/bin/corvane" >"$work/editor.out" 2>"$work/editor.err" || status=$?
# The trace and the scene's own console lines aside, standard error should hold nothing.
grep -Ev '^(QQmlImports\(|QQmlImportDatabase::|qml: )' "$work/editor.err" >"$work/editor.notes" || true
show_run() {
    echo "-- standard output (head):" >&2
    head -n 40 "$work/editor.out" >&2
    echo "-- standard error, less the import trace:" >&2
    cat "$work/editor.notes" >&2
}
if [ "$status" -ne 124 ]; then
    show_run
    fail "the editor stopped with status $status before $run_seconds s; it should still be running"
fi
grep -q 'Corvane start' "$work/editor.out" || { show_run; fail "no start line"; }
if grep -E '\.qml:[0-9]+|QQmlApplicationEngine failed|QQmlComponent|is not installed|is not a type|Cannot load library|plugin cannot be loaded|(Reference|Type|Syntax)Error' "$work/editor.notes"; then
    show_run
    fail "QML errors on standard error"
fi
# At the first start the shipped vendor library is copied into the data folder and loaded from there.
installed=$XDG_DATA_HOME/Kestrona/DB/vendor.cvx
grep -qF "importMaterials() Load materials from file: $installed" "$work/editor.out" || { show_run; fail "the vendor library was not loaded from $installed"; }
cmp -s "$vendor" "$installed" || fail "$installed is not a copy of the packaged vendor library"
# The language service logs the shipped folder it read; the vendor library comes from the same one.
grep -qF "$root/usr/bin/../share/corvane/" "$work/editor.out" || { show_run; fail "the editor did not take its shipped data from the unpacked share/corvane"; }
count=$(sed -n 's/^importMaterials() Current materials is \([0-9]*\).*/\1/p' "$work/editor.out" | head -n 1)
if [ -z "$count" ] || [ "$count" -eq 0 ]; then
    show_run
    fail "no materials loaded (count '$count')"
fi
echo "started; $count materials from the vendor library"

step "QML modules"
grep -oE 'loaded "/[^"]*/qmldir"' "$work/editor.err" | sed 's/^loaded "\(.*\)"$/\1/' | sort -u >"$work/qmldirs"
[ -s "$work/qmldirs" ] || fail "the import trace named no QML module"
check_owners "the scene" "$work/qmldirs"
echo "$(wc -l <"$work/qmldirs") module folders, each from a package that comes with corvane"

step "one editor per library"
# A second editor hands its file to the first and ends without loading or saving anything; when
# the first does not answer (stopped), the second says so and waits to open read-only.
export QT_QPA_PLATFORM=offscreen QT_QUICK_BACKEND=software
"$cvx" decode --compact "$vendor" >"$work/vendor.jsonl"
sed -n '1s/"b2":"[^"]*"/"b2":"Handed Over"/p' "$work/vendor.jsonl" | "$cvx" encode - -o "$work/colleague.cvx" ||
    fail "cannot make a material file"
stamp() { stat -c '%i %Y %s' "$XDG_DATA_HOME/Kestrona/DB/user.cvx"; }
wait_for() { # file text
    for _ in $(seq 100); do grep -qF "$2" "$1" && return 0; sleep 0.1; done
    echo "-- $1:" >&2; tail -n 20 "$1" >&2; fail "no '$2' in $1"
}
"$root/usr/bin/corvane" >"$work/first.out" 2>&1 &
first=$!
wait_for "$work/first.out" "Current materials is"
before=$(stamp)
timeout 20 "$root/usr/bin/corvane" "$work/colleague.cvx" >"$work/second.out" 2>&1 || fail "the second editor ended with $?"
wait_for "$work/second.out" "Handed 1 files to the running editor"
wait_for "$work/first.out" "Preview the import of $work/colleague.cvx"
! grep -q "Load materials\|Export materials" "$work/second.out" || fail "the second editor loaded or saved the library"
kill -STOP "$first"
timeout -k 5 8 "$root/usr/bin/corvane" "$work/colleague.cvx" >"$work/third.out" 2>&1 && fail "the third editor did not wait"
wait_for "$work/third.out" "The running editor does not answer"
! grep -q "Export materials" "$work/third.out" || fail "the third editor saved the library"
kill -CONT "$first"
kill "$first"
wait "$first" 2>/dev/null || true
[ "$(stamp)" = "$before" ] || fail "user.cvx changed"
echo "the file reached the running editor; an editor beside it never saved"

step "a .cvx opened from the desktop, under Xvfb"
# The desktop entry registered as the handler of the MIME type, as installing the package does,
# then the file opened the way a file manager opens it.
mkdir -p "$XDG_DATA_HOME/applications"
cp "$root/usr/share/applications/com.kestrona.corvane.desktop" "$XDG_DATA_HOME/applications/"
update-desktop-database "$XDG_DATA_HOME/applications" 2>/dev/null || true
xdg-mime default com.kestrona.corvane.desktop application/x-corvane-material
gio info -a standard::content-type "$work/colleague.cvx" | grep -q 'application/x-corvane-material$' ||
    fail "the file is not a material file to the desktop"
unset QT_QPA_PLATFORM QT_QUICK_BACKEND
# gio leaves the editor it starts to no parent of ours: the editor is found by this run's own
# folder in its environment, which it inherits and no other process has, and ended by its ID.
CORVANE_PACKAGE_RUN=$work PATH=$root/usr/bin:$PATH timeout -k 5 20 xvfb-run -a -s '-screen 0 1280x800x24' \
    sh -c "gio open '$work/colleague.cvx'; sleep 8" >"$work/opened.out" 2>&1 || true
for process in /proc/[0-9]*; do [ "$process/exe" -ef "$root/usr/bin/corvane" ] && grep -qzxF "CORVANE_PACKAGE_RUN=$work" "$process/environ" && kill "${process#/proc/}" || true; done 2>/dev/null
grep -qF "Preview the import of $work/colleague.cvx" "$work/opened.out" || { tail -n 30 "$work/opened.out" >&2; fail "gio open did not bring the file to the editor"; }
echo "gio open started the editor with the file, as a file manager does"

echo "PASS"
