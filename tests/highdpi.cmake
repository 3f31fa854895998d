# The same window checks at three scale factors; each factor is its own process since
# Qt reads the factor once, when the application starts.
add_executable(highdpi_tests highdpi_tests.cpp)
target_link_libraries(highdpi_tests PRIVATE bmi_gui bmi_test_support)
target_compile_definitions(highdpi_tests PRIVATE BMI_SHOT_DIR="${CMAKE_BINARY_DIR}/screenshots")
foreach(factor 1 1.5 2)
    gtest_discover_tests(highdpi_tests
        DISCOVERY_MODE PRE_TEST
        TEST_SUFFIX "@${factor}x"
        PROPERTIES ENVIRONMENT "QT_SCALE_FACTOR=${factor}")
endforeach()
