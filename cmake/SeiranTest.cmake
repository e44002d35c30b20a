# seiran_add_test(NAME SOURCES ... LIBS ...)
# One QtTest executable per area; each runs headless, with LeakSanitizer on (tests/lsan.supp names
# the toolkit's one-time allocations that stay until exit).
function(seiran_add_test name)
    cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE Qt6::Test ${T_LIBS})
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    # The standard lists beside the executable are where a test finds them, as the program does.
    add_dependencies(${name} seiran_stdfiles)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;ASAN_OPTIONS=detect_leaks=1;LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/lsan.supp:print_suppressions=0"
        TIMEOUT 600)
endfunction()
