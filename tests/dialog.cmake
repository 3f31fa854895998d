# The feet-and-inches dialog, opened from the main window as the user opens it.
bmi_add_test(dialog_tests
    SOURCES dialog_tests.cpp
    LIBS bmi_gui
    GUI)

# Seeded random events over both windows, checking after each one that a shown result
# belongs to the entries beside it. BMI_MONKEY_SEED picks another run.
bmi_add_test(monkey_tests
    SOURCES monkey_tests.cpp
    LIBS bmi_gui
    GUI)
