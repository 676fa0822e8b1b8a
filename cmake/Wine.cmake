# Running the built programs under Wine: a prefix inside the build folder,
# created on demand, and a persistent wine server for the whole test run.
set(WINE_PREFIX ${CMAKE_BINARY_DIR}/wine)
find_program(WINESERVER wineserver PATHS /usr/lib/wine NO_DEFAULT_PATH)
find_program(WINESERVER wineserver)

set(WINE_TEST_ENVIRONMENT
    WINEPREFIX=${WINE_PREFIX}
    WINEDEBUG=-all
    WINEARCH=win64
    WINEDLLOVERRIDES=mscoree,mshtml=
    LANG=C.UTF-8
    TEST_TMP_ROOT=${CMAKE_BINARY_DIR}/testtmp
    TEST_BIN_DIR=${CMAKE_BINARY_DIR}/bin)

# Registers one CTest entry per test executable (one Wine process each).
function(add_wine_test target)
    add_test(NAME ${target} COMMAND ${target})
    set_tests_properties(${target} PROPERTIES
        ENVIRONMENT "${WINE_TEST_ENVIRONMENT}"
        FIXTURES_REQUIRED wine
        TIMEOUT 600)
endfunction()
