# The stage 1 plays compare their runs by the state digest of the headless driver.
target_link_libraries(wexla_tests PRIVATE wexla_headless_support)
