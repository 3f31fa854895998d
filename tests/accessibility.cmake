# The program through the keyboard alone and through QAccessible, as assistive tools
# see it. The same checks from outside, over AT-SPI, are scripts/atspi_check.sh.
bmi_add_test(accessibility_tests
    SOURCES accessibility_tests.cpp
    LIBS bmi_gui
    GUI)
