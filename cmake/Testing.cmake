# GoogleTest from Debian's source package, and one CTest entry per test executable.
option(OSTREL_BUILD_TESTS "Build the tests" ON)
if(NOT OSTREL_BUILD_TESTS)
    function(ostrel_add_test)
    endfunction()
    return()
endif()

enable_testing()
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)

# Wine runs the Windows tests: one wineserver and one virtual display for the whole run,
# started by the fixture's set-up entry and ended by its clean-up entry.
if(WIN32)
    add_test(NAME wine_session_start
             COMMAND ${PROJECT_SOURCE_DIR}/tools/wine-session start ${CMAKE_BINARY_DIR}/wine)
    add_test(NAME wine_session_stop
             COMMAND ${PROJECT_SOURCE_DIR}/tools/wine-session stop ${CMAKE_BINARY_DIR}/wine)
    set_tests_properties(wine_session_start PROPERTIES FIXTURES_SETUP wine)
    set_tests_properties(wine_session_stop PROPERTIES FIXTURES_CLEANUP wine)
endif()

# ostrel_add_test(target [source...] [LIBS lib...])
function(ostrel_add_test target)
    cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
    add_executable(${target} ${ARG_UNPARSED_ARGUMENTS})
    target_link_libraries(${target} PRIVATE ${ARG_LIBS} gtest gtest_main)
    add_test(NAME ${target} COMMAND ${target} --gtest_brief=1)
    if(WIN32)
        # Tests that start processes of their own under Wine run one at a time.
        set_tests_properties(${target} PROPERTIES
            FIXTURES_REQUIRED wine RESOURCE_LOCK wine_desktop
            ENVIRONMENT "OSTREL_WINE_STATE=${CMAKE_BINARY_DIR}/wine"
            TIMEOUT 300)
    endif()
endfunction()
