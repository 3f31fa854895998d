# The built program from outside, as a desktop and assistive tools meet it: each check
# runs it on a display of its own with a private session bus (scripts/with_session.sh).
# 77 is a tool that is not installed; the checks run one at a time, since they wait on
# real servers with timeouts that a busy machine could otherwise overrun.
set(_bmi_scripts ${CMAKE_SOURCE_DIR}/scripts)

# Over the accessibility bus alone (tests/atspi/), on X11 and natively on Wayland.
add_test(NAME atspi.x11 COMMAND ${_bmi_scripts}/atspi_check.sh)
add_test(NAME atspi.wayland COMMAND ${_bmi_scripts}/atspi_check.sh --wayland)
set_tests_properties(atspi.x11 atspi.wayland PROPERTIES
    LABELS a11y SKIP_RETURN_CODE 77 RUN_SERIAL TRUE TIMEOUT 180
    ENVIRONMENT "BMI_PROGRAM=${CMAKE_BINARY_DIR}/bin/BMI-Trevala")

# The program under memcheck, driven by keys through the dialog and Help; without the
# help viewer the script would not be the one it describes.
if(BMI_BUILD_HELP)
    add_test(NAME memcheck.program COMMAND ${_bmi_scripts}/valgrind_check.sh)
    set_tests_properties(memcheck.program PROPERTIES
        LABELS memcheck SKIP_RETURN_CODE 77 RUN_SERIAL TRUE TIMEOUT 1500
        ENVIRONMENT "BUILD_DIR=${CMAKE_BINARY_DIR}")
endif()
