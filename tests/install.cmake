# The installed tree: cmake --install into a scratch prefix, then the layout, the
# binaries' run-time linking, the desktop files as installed, and the installed
# program itself. install.tree sets the scratch prefix up for the others.
if(NOT UNIX OR APPLE OR NOT DEFINED BMI_INSTALL_PRIVATEDIR)
    return()
endif()

set(_bmi_prefix ${CMAKE_CURRENT_BINARY_DIR}/install_tree)
set(_bmi_private ${BMI_INSTALL_PRIVATEDIR})
set(_bmi_apps ${CMAKE_INSTALL_DATADIR}/applications)
set(_bmi_icons ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
set(_bmi_metainfo ${CMAKE_INSTALL_DATADIR}/metainfo)
string(REPLACE ";" " " _bmi_icon_sizes "${BMI_ICON_SIZES}")

file(CONFIGURE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/install_tree.sh @ONLY CONTENT [=[
# Installs the build into a scratch prefix and checks what landed there.
set -u
prefix='@_bmi_prefix@'
fail=0
bad() { echo "FAIL: $*"; fail=1; }

rm -rf "$prefix"
'@CMAKE_COMMAND@' --install '@CMAKE_BINARY_DIR@' --prefix "$prefix" || exit 1
cd "$prefix" || exit 1

# kind: x executable file, f non-empty file, l symlink
while read -r kind path; do
    case $kind in
        x) [ -f "$path" ] && [ ! -L "$path" ] && [ -x "$path" ] || bad "$path is not an executable file" ;;
        f) [ -f "$path" ] && [ ! -L "$path" ] && [ -s "$path" ] || bad "$path is missing or empty" ;;
        l) [ -L "$path" ] || bad "$path is not a symlink" ;;
    esac
done <<EOF
l @CMAKE_INSTALL_BINDIR@/BMI-Trevala
x @_bmi_private@/BMI-Trevala
x @_bmi_private@/BMI-Trevala-help
f @_bmi_private@/BMI-Trevala.chm
f @_bmi_apps@/@BMI_APP_ID@.desktop
f @_bmi_metainfo@/@BMI_APP_ID@.metainfo.xml
f @_bmi_icons@/scalable/apps/@BMI_APP_ID@.svg
f @CMAKE_INSTALL_DOCDIR@/README.md
f @CMAKE_INSTALL_DOCDIR@/copyright
f @CMAKE_INSTALL_DOCDIR@/changelog.gz
f @CMAKE_INSTALL_MANDIR@/man1/BMI-Trevala.1.gz
EOF

# Every hicolor size, each a PNG of exactly that size.
for size in @_bmi_icon_sizes@; do
    icon=@_bmi_icons@/${size}x${size}/apps/@BMI_APP_ID@.png
    dims=$(file -b "$icon" 2>/dev/null)
    case $dims in
        "PNG image data, $size x $size,"*) ;;
        *) bad "$icon: ${dims:-missing}" ;;
    esac
done
gzip -t '@CMAKE_INSTALL_MANDIR@/man1/BMI-Trevala.1.gz' '@CMAKE_INSTALL_DOCDIR@/changelog.gz' \
    || bad "a compressed document is damaged"

# The program looks for its help beside its real file, so the link on the PATH must
# lead there, and stay valid when the tree is moved (a package's staging directory).
link='@CMAKE_INSTALL_BINDIR@/BMI-Trevala'
case $(readlink "$link") in
    /*) bad "$link points to an absolute path: $(readlink "$link")" ;;
esac
[ "$(readlink -f "$link")" = "$(readlink -f '@_bmi_private@/BMI-Trevala')" ] \
    || bad "$link resolves to $(readlink -f "$link")"

for exe in '@_bmi_private@/BMI-Trevala' '@_bmi_private@/BMI-Trevala-help'; do
    [ -f "$exe" ] || continue
    # A build-tree run path would load libraries from wherever the build was made.
    paths=$(readelf -d "$exe" | grep -E '\((RPATH|RUNPATH)\)')
    case $paths in
        *'@CMAKE_BINARY_DIR@'*|*'@CMAKE_SOURCE_DIR@'*) bad "$exe keeps a build run path: $paths" ;;
    esac
    missing=$(ldd "$exe" | grep 'not found')
    [ -z "$missing" ] || bad "$exe: unresolved libraries: $missing"
done
exit $fail
]=])

add_test(NAME install.tree COMMAND sh ${CMAKE_CURRENT_BINARY_DIR}/install_tree.sh)
set_tests_properties(install.tree PROPERTIES FIXTURES_SETUP bmi_install_tree LABELS install)

# The distribution's validators, on the files as installed; validate-tree also checks
# that the metadata, the launcher entry and the icon find one another. 77: tool missing.
add_test(NAME install.desktop_entry
    COMMAND sh -c [=[
        command -v desktop-file-validate >/dev/null 2>&1 || exit 77
        desktop-file-validate "$1"
    ]=] sh ${_bmi_prefix}/${_bmi_apps}/${BMI_APP_ID}.desktop)
add_test(NAME install.metainfo
    COMMAND sh -c [=[
        command -v appstreamcli >/dev/null 2>&1 || exit 77
        appstreamcli validate --no-net "$1" && appstreamcli validate-tree --no-net "$2"
    ]=] sh ${_bmi_prefix}/${_bmi_metainfo}/${BMI_APP_ID}.metainfo.xml ${_bmi_prefix})

# The installed viewer reads the installed help file: --check lays out every topic
# and exits.
add_test(NAME install.help_viewer
    COMMAND sh -c [=[
        out=$("$1" --check "$2") || { printf '%s\n' "$out"; exit 1; }
        printf '%s\n' "$out"
        printf '%s\n' "$out" | grep -q '^topic: .' || { echo "no topic shown"; exit 1; }
    ]=] sh ${_bmi_prefix}/${_bmi_private}/BMI-Trevala-help
        ${_bmi_prefix}/${_bmi_private}/BMI-Trevala.chm)

# The installed program, started through the link on the PATH. It has no way to be
# told to quit, so it is stopped after a moment: timeout's 124 means it was still
# running; anything else means it failed to start or fell over.
add_test(NAME install.program_starts
    COMMAND sh -c [=[
        timeout 3 "$1"
        rc=$?
        [ "$rc" -eq 124 ] || { echo "BMI-Trevala ended by itself with status $rc"; exit 1; }
    ]=] sh ${_bmi_prefix}/${CMAKE_INSTALL_BINDIR}/BMI-Trevala)

set_tests_properties(install.desktop_entry install.metainfo
    PROPERTIES SKIP_RETURN_CODE 77)
set_tests_properties(install.desktop_entry install.metainfo install.help_viewer
    install.program_starts
    PROPERTIES FIXTURES_REQUIRED bmi_install_tree ENVIRONMENT QT_QPA_PLATFORM=offscreen
        LABELS install)
