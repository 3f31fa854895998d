# The calculation core on its own: plain gtest, no window system.
bmi_add_test(calc_tests
    SOURCES
        calc_measurement_tests.cpp
        calc_bmi_tests.cpp
        calc_keyfilter_tests.cpp
        calc_feet_inches_tests.cpp
    LIBS bmi_calc
)
