# The help viewer and the help file it shows.

# Readers of the help file's system files and lists: pure, fed hand-made bytes.
bmi_add_test(help_chm_tests
    SOURCES help_chm_system_tests.cpp help_sitemap_tests.cpp help_topic_limits_tests.cpp
    LIBS bmi_chm)

# The viewer on the help file the build made (found through BMI_TEST_BIN_DIR), and the
# viewer program itself.
bmi_add_test(help_viewer_tests
    SOURCES help_file_tests.cpp help_search_tests.cpp help_window_tests.cpp help_program_tests.cpp
            help_crafted_tests.cpp
    LIBS bmi_help_viewer_lib Qt6::Test Qt6::Network
    GUI)
add_dependencies(help_viewer_tests help_file BMI-Trevala-help)
# Some tests compile help files of their own.
target_compile_definitions(help_viewer_tests PRIVATE BMI_CHMCMD="${BMI_CHMCMD}")
