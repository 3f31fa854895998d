# The feet-and-inches dialog, opened from the main window as the user opens it.
bmi_add_test(dialog_tests
    SOURCES dialog_tests.cpp
    LIBS bmi_gui
    GUI)

# Seeded random user actions over both windows (10,000 by default), checking after each
# one that a shown result belongs to the entries beside it and that the action clicked,
# called and told the user exactly what it should. BMI_MONKEY_SEED picks another run,
# BMI_MONKEY_EVENTS another length, BMI_MONKEY_TRACE=1 prints every action.
bmi_add_test(monkey_tests
    SOURCES monkey_tests.cpp
    LIBS bmi_gui
    GUI
    LABEL soak)
