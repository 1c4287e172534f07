# gearbook_add_test(<name> SOURCES <files...> LIBS <libs...>)
# Builds a QtTest executable and registers it with CTest. Every test runs
# offscreen; the shared test support gives each one its own data home and
# working folder, so the real home folder is never touched.
function(gearbook_add_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE gearbook_testsupport Qt6::Test ${ARG_LIBS})
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QTWEBENGINE_DISABLE_SANDBOX=1;QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu --no-sandbox"
        TIMEOUT 300)
endfunction()
