bmi_add_test(platform_tests SOURCES platform_tests.cpp LIBS bmi_platform GUI)
