# Help, web links and the advert pointer through the main window with the recording
# platform; and the real launches of the browser opener and the help viewer, against
# fake programs.
bmi_add_test(links_tests
    SOURCES links_tests.cpp links_launch_tests.cpp
    LIBS bmi_gui
    GUI)
