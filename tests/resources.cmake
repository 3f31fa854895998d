# The compiled-in pictures.
bmi_add_test(resources_tests
    SOURCES resources_tests.cpp
    LIBS bmi_resources bmi_picture_data Qt6::Gui
    GUI)

# The desktop entry and the AppStream metadata, checked with the distribution's own
# validators where they are installed (desktop-file-utils, appstream); exit code 77
# reports a missing tool as a skipped test rather than a pass.
set(_bmi_packaging ${CMAKE_SOURCE_DIR}/packaging)

add_test(NAME packaging.desktop_entry
    COMMAND sh -c [=[
        command -v desktop-file-validate >/dev/null 2>&1 || exit 77
        out=$(desktop-file-validate "$1" 2>&1); rc=$?
        printf '%s\n' "$out"
        [ "$rc" -eq 0 ] || exit 1
        printf '%s\n' "$out" | grep -qi 'warning' && exit 1
        # Launchers find the icon by the application id.
        grep -qx "Icon=$2" "$1" || { echo "Icon is not $2"; exit 1; }
        grep -qx "Exec=BMI-Trevala" "$1" || { echo "Exec is not BMI-Trevala"; exit 1; }
        exit 0
    ]=] sh ${_bmi_packaging}/${BMI_APP_ID}.desktop ${BMI_APP_ID})
set_tests_properties(packaging.desktop_entry PROPERTIES SKIP_RETURN_CODE 77 LABELS unit)

add_test(NAME packaging.metainfo
    COMMAND sh -c [=[
        command -v appstreamcli >/dev/null 2>&1 || exit 77
        appstreamcli validate --pedantic --no-net "$1" || exit 1
        grep -q "<id>$2</id>" "$1" || { echo "component id is not $2"; exit 1; }
        grep -q "<launchable type=\"desktop-id\">$2.desktop</launchable>" "$1" \
            || { echo "launchable is not $2.desktop"; exit 1; }
        # The paragraph shown by software centres is the same one the program carries.
        flat() { tr -s ' \n\t' '   ' | sed 's/^ *//; s/ *$//'; }
        # The first description is the component's; the release notes have their own.
        shown=$(sed -n '/<description>/,/<\/description>/{p;/<\/description>/q;}' "$1" \
            | sed 's#</*description>##; s#</*p>##g' | flat)
        plain=$(flat < "$3")
        [ "$shown" = "$plain" ] || { echo "description differs from $3"; exit 1; }
        exit 0
    ]=] sh ${_bmi_packaging}/${BMI_APP_ID}.metainfo.xml ${BMI_APP_ID}
        ${_bmi_packaging}/description.txt)
set_tests_properties(packaging.metainfo PROPERTIES SKIP_RETURN_CODE 77 LABELS unit)
