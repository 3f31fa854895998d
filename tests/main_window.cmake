# The main window driven as the user drives it: keys, clicks, and its pixels.
bmi_add_test(main_window_tests
    SOURCES
        main_window_design_tests.cpp
        main_window_scale_tests.cpp
        main_window_keys_tests.cpp
        main_window_result_tests.cpp
    LIBS bmi_gui
    GUI)
