# Helpers shared by the test folders.
#
# quaverly_gtest(NAME name LABEL label SOURCES ... LIBS ... [TIMEOUT s] [QT])
#   A GoogleTest binary whose cases become CTest tests with the given label
#   (unit, integration, e2e). Its main() is tests/support/TestMain.cpp, which
#   sets the environment defaults (offscreen Qt, dummy SDL audio, a private
#   XDG_RUNTIME_DIR) before anything else runs, so that CI can still override
#   them. With QT, the main() is tests/support/QtTestMain.cpp, which also
#   creates the one QApplication of the binary.
#
# quaverly_fuzzer(NAME name SOURCES ... LIBS ... [CORPUS dir] [SECONDS s])
#   A libFuzzer target (only when QUAVERLY_FUZZ is on), run briefly as a
#   CTest test with the label fuzz. The target `fuzzers` builds them all and
#   only what they link.
function(quaverly_gtest)
    if(QUAVERLY_FUZZ_ONLY)
        return()
    endif()
    cmake_parse_arguments(T "QT" "NAME;LABEL;TIMEOUT" "SOURCES;LIBS" ${ARGN})
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 120)
    endif()
    if(T_QT)
        add_executable(${T_NAME} ${T_SOURCES} ${PROJECT_SOURCE_DIR}/tests/support/QtTestMain.cpp
            ${PROJECT_SOURCE_DIR}/tests/support/TestEnvironment.cpp)
        target_link_libraries(${T_NAME} PRIVATE Qt6::Widgets Qt6::Test)
    else()
        add_executable(${T_NAME} ${T_SOURCES} ${PROJECT_SOURCE_DIR}/tests/support/TestMain.cpp
            ${PROJECT_SOURCE_DIR}/tests/support/TestEnvironment.cpp)
    endif()
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock Threads::Threads)
    target_include_directories(${T_NAME} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
    target_compile_definitions(${T_NAME} PRIVATE
        QUAVERLY_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
        QUAVERLY_BIN_DIR="${CMAKE_RUNTIME_OUTPUT_DIRECTORY}")
    set_target_properties(${T_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    gtest_discover_tests(${T_NAME}
        DISCOVERY_TIMEOUT 60
        PROPERTIES LABELS ${T_LABEL} TIMEOUT ${T_TIMEOUT})
endfunction()

function(quaverly_fuzzer)
    if(NOT QUAVERLY_FUZZ)
        return()
    endif()
    cmake_parse_arguments(F "" "NAME;CORPUS;SECONDS" "SOURCES;LIBS" ${ARGN})
    if(NOT F_SECONDS)
        set(F_SECONDS 20)
    endif()
    add_executable(${F_NAME} ${F_SOURCES})
    if(NOT TARGET fuzzers)
        add_custom_target(fuzzers)
    endif()
    add_dependencies(fuzzers ${F_NAME})
    target_compile_options(${F_NAME} PRIVATE -fsanitize=fuzzer)
    target_link_options(${F_NAME} PRIVATE -fsanitize=fuzzer)
    target_link_libraries(${F_NAME} PRIVATE ${F_LIBS})
    target_include_directories(${F_NAME} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
    set_target_properties(${F_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
    set(corpus ${CMAKE_BINARY_DIR}/fuzz/${F_NAME}-corpus)
    set(seed "")
    if(F_CORPUS)
        set(seed ${F_CORPUS})
    endif()
    add_test(NAME ${F_NAME}
        COMMAND ${CMAKE_COMMAND} -E env
            sh -c "mkdir -p '${corpus}' && exec '$<TARGET_FILE:${F_NAME}>' -max_total_time=${F_SECONDS} -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 '${corpus}' ${seed}")
    math(EXPR limit "${F_SECONDS} * 3 + 60")
    set_tests_properties(${F_NAME} PROPERTIES LABELS fuzz TIMEOUT ${limit})
endfunction()
