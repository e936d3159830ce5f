# Build settings shared by every target, and the helper that turns one tst_*.cpp into one test.

add_library(vintrel_settings INTERFACE)
target_compile_features(vintrel_settings INTERFACE cxx_std_20)
# Aggregate initialisation of column tables leaves trailing fields at their defaults on purpose.
target_compile_options(vintrel_settings INTERFACE -Wall -Wextra -Wno-missing-field-initializers)
target_compile_definitions(vintrel_settings INTERFACE
    QT_NO_URL_CAST_FROM_STRING
    QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
    QT_USE_QSTRINGBUILDER)
target_include_directories(vintrel_settings INTERFACE "${PROJECT_SOURCE_DIR}")

# Collects the sources of a folder tree, leaving out program entries.
function(vintrel_collect_sources out_var)
    set(all)
    foreach(dir IN LISTS ARGN)
        file(GLOB_RECURSE found CONFIGURE_DEPENDS
            "${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp" "${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.h")
        list(APPEND all ${found})
    endforeach()
    list(FILTER all EXCLUDE REGEX "/main\\.cpp$")
    set(${out_var} ${all} PARENT_SCOPE)
endfunction()

# vintrel_add_test(<source> LIBS <libs...> [ADDRESS <loopback address>])
# Each test program runs headless, with its own loopback address for the servers it starts,
# so that programs run side by side under ctest -j2 without sharing anything.
function(vintrel_add_test source)
    cmake_parse_arguments(ARG "" "ADDRESS" "LIBS" ${ARGN})
    get_filename_component(name "${source}" NAME_WE)
    add_executable(${name} "${source}")
    target_link_libraries(${name} PRIVATE vintrel_settings vintrel_testsupport Qt6::Test ${ARG_LIBS})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/tests")
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
        TIMEOUT 600
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QTWEBENGINE_DISABLE_SANDBOX=1;VINTREL_TEST_ADDRESS=${ARG_ADDRESS};VINTREL_SOURCE_DIR=${PROJECT_SOURCE_DIR};VINTREL_BIN_DIR=${CMAKE_BINARY_DIR}/bin")
endfunction()
