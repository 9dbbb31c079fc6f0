# Lists the tests of a GoogleTest program under Wine and writes the ctest
# entries for them (see WineGoogleTests.cmake): one per test, each reading the
# outcome that the one run of the program filed.
# -DWINE_RUN=wine-run.sh -DBUILD_DIR=... -DARCH=win32 -DPROGRAM=... -DOUTPUT=...
execute_process(COMMAND ${WINE_RUN} ${BUILD_DIR} ${ARCH} ${PROGRAM} --gtest_list_tests
    OUTPUT_VARIABLE _listing ERROR_VARIABLE _errors RESULT_VARIABLE _status TIMEOUT 300)
set(_out "# Written by WineGoogleTestList.cmake after each build; do not edit.\n")
if(NOT _status EQUAL 0)
    # The program could not list its tests (no Wine?): one entry says so.
    string(APPEND _out "add_test(listing_tests_under_wine ${CMAKE_COMMAND} -E echo "
        "[==[The test program could not list its tests under Wine (status ${_status}): ${_errors}]==])\n"
        "set_tests_properties(listing_tests_under_wine PROPERTIES WILL_FAIL TRUE)\n")
    file(WRITE ${OUTPUT} "${_out}")
    message(WARNING "Could not list the tests of ${PROGRAM} under Wine (status ${_status})")
    return()
endif()
# "Suite." lines, then "  Test" lines; parameterised ones carry a comment
# ("  Test/0  # GetParam() = ...").
string(REPLACE "\r" "" _listing "${_listing}")
string(REPLACE ";" "\\;" _listing "${_listing}")
string(REPLACE "\n" ";" _lines "${_listing}")
set(_names)
set(_suite "")
foreach(_line IN LISTS _lines)
    string(REGEX REPLACE " *#.*$" "" _line "${_line}")
    if(_line MATCHES "^([^ ].*\\.)$")
        set(_suite "${CMAKE_MATCH_1}")
    elseif(_line MATCHES "^  ([^ ]+)$" AND NOT _suite STREQUAL "")
        list(APPEND _names "${_suite}${CMAKE_MATCH_1}")
    endif()
endforeach()
list(LENGTH _names _count)
if(_count EQUAL 0)
    message(FATAL_ERROR "No tests listed by ${PROGRAM} under Wine")
endif()
string(APPEND _out "set(_annalist_wine_tests [==[${_names}]==])\n"
    "foreach(_test IN LISTS _annalist_wine_tests)\n"
    "  add_test(\"\${_test}\" \"\${ANNALIST_WINE_CHECK}\" \"\${ANNALIST_WINE_RESULTS}\" \"\${_test}\")\n"
    "  set_tests_properties(\"\${_test}\" PROPERTIES FIXTURES_REQUIRED \"\${ANNALIST_WINE_FIXTURE}\" SKIP_RETURN_CODE 77)\n"
    "endforeach()\n")
file(WRITE ${OUTPUT} "${_out}")
