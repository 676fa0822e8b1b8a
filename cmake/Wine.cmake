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

# The device's ANSI code page, 936: a Chinese locale made in the build folder
# (cmake/zh-locale.sh) and chosen for the Wine process, which then converts
# ANSI text as a Chinese device does. Programs it starts inherit it.
set(WINE_LOCALE_DIR ${CMAKE_BINARY_DIR}/locale)
set(WINE_CODEPAGE_936_ENVIRONMENT
    LOCPATH=${WINE_LOCALE_DIR}
    LANG=zh_CN.UTF-8
    LC_ALL=zh_CN.UTF-8)

# Registers one CTest entry per test executable (one Wine process each).
# CODEPAGE 936 runs it with the device's ANSI code page (default: 1252);
# ARGS are its command line, ENV more variables for it; NAME names the entry
# when one executable serves several (default: the target).
function(add_wine_test target)
    cmake_parse_arguments(PARSE_ARGV 1 WINE_TEST "" "CODEPAGE;NAME" "ARGS;ENV")
    set(name ${target})
    if(WINE_TEST_NAME)
        set(name ${WINE_TEST_NAME})
    endif()
    set(environment ${WINE_TEST_ENVIRONMENT} ${WINE_TEST_ENV})
    set(fixtures wine)
    if(WINE_TEST_CODEPAGE STREQUAL "936")
        list(REMOVE_ITEM environment LANG=C.UTF-8)
        list(APPEND environment ${WINE_CODEPAGE_936_ENVIRONMENT})
        list(APPEND fixtures codepage_936)
    elseif(WINE_TEST_CODEPAGE)
        message(FATAL_ERROR "add_wine_test: code page ${WINE_TEST_CODEPAGE} is not set up")
    endif()
    # A GoogleTest executable writes its results, so that the test command can
    # list the cases it skipped (cmake/skip-summary.sh); others ignore it.
    list(APPEND environment GTEST_OUTPUT=xml:Z:${CMAKE_BINARY_DIR}/testresults/${name}.xml)
    add_test(NAME ${name} COMMAND ${target} ${WINE_TEST_ARGS})
    # All show windows on the one desktop of the Wine session, where a dialog
    # shown takes the activation (and the keyboard) from another's: even with
    # ctest -j they run one at a time.
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "${environment}"
        FIXTURES_REQUIRED "${fixtures}"
        RESOURCE_LOCK wine_desktop
        TIMEOUT 600)
    # At 32 bits the program runs through cmake/wine32.sh, which ends with 77
    # and the reason when there is no 32-bit Wine.
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
        set_tests_properties(${name} PROPERTIES SKIP_RETURN_CODE 77)
    endif()
endfunction()
