# One ctest entry per GoogleTest test of a Windows test program, run under
# Wine in ONE Wine process: every Wine start costs seconds, so the program is
# not started once per test. Instead
#  - after each build, the program lists its tests under Wine
#    (WineGoogleTestList.cmake writes <target>_wine_tests.cmake);
#  - the ctest entry <target>_run runs the whole program once and files each
#    test's outcome and output (wine-gtest-run.sh);
#  - each test is a ctest entry of its own that reports its filed outcome
#    (wine-gtest-check.sh), so a failure shows, and is counted, per test;
#  - <target>_exit_status fails when the program as a whole did not end
#    well (a crash after the last test, say).
# Usage: annalist_add_wine_gtests(<target> <build-dir> <win32|win64> <lock>)
function(annalist_add_wine_gtests target build_dir arch lock)
    set(_list ${CMAKE_CURRENT_BINARY_DIR}/${target}_wine_tests.cmake)
    set(_results ${CMAKE_CURRENT_BINARY_DIR}/${target}_wine_results)
    set(_scripts ${PROJECT_SOURCE_DIR}/cmake)
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${CMAKE_COMMAND} -DWINE_RUN=${_scripts}/wine-run.sh -DBUILD_DIR=${build_dir} -DARCH=${arch}
                -DPROGRAM=$<TARGET_FILE:${target}> -DOUTPUT=${_list}
                -P ${_scripts}/WineGoogleTestList.cmake
        COMMENT "Listing the tests of ${target} under Wine"
        VERBATIM)
    add_test(NAME ${target}_run
        COMMAND ${_scripts}/wine-gtest-run.sh ${build_dir} ${arch} ${_results} $<TARGET_FILE:${target}>
        WORKING_DIRECTORY ${build_dir})
    set_tests_properties(${target}_run PROPERTIES FIXTURES_SETUP ${target}_wine RESOURCE_LOCK ${lock})
    add_test(NAME ${target}_exit_status COMMAND ${_scripts}/wine-gtest-check.sh ${_results} --exit-status)
    set_tests_properties(${target}_exit_status PROPERTIES FIXTURES_REQUIRED ${target}_wine)

    # ctest reads the list when it runs; before the first build there is none.
    set(_include ${CMAKE_CURRENT_BINARY_DIR}/${target}_wine_include.cmake)
    file(WRITE ${_include}
        "set(ANNALIST_WINE_CHECK [==[${_scripts}/wine-gtest-check.sh]==])\n"
        "set(ANNALIST_WINE_RESULTS [==[${_results}]==])\n"
        "set(ANNALIST_WINE_FIXTURE [==[${target}_wine]==])\n"
        "if(EXISTS [==[${_list}]==])\n"
        "  include([==[${_list}]==])\n"
        "else()\n"
        "  add_test(${target}_NOT_BUILT ${target}_NOT_BUILT)\n"
        "endif()\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${_include})
endfunction()
