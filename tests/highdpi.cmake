# The same window checks at a range of scale factors, fractional ones among them; each factor is its own process since
# Qt reads the factor once, when the application starts.
add_executable(highdpi_tests highdpi_tests.cpp)
target_link_libraries(highdpi_tests PRIVATE bmi_gui bmi_test_support)
target_compile_definitions(highdpi_tests PRIVATE BMI_SHOT_DIR="${CMAKE_BINARY_DIR}/screenshots"
    BMI_PICTURE_DIR="${CMAKE_SOURCE_DIR}/resources")
foreach(factor 1 1.25 1.5 1.75 2 3)
    gtest_discover_tests(highdpi_tests
        DISCOVERY_MODE PRE_TEST
        TEST_SUFFIX "@${factor}x"
        PROPERTIES ENVIRONMENT "QT_SCALE_FACTOR=${factor}" LABELS gui)
endforeach()
