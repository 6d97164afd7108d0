# corvalis_add_test(<name> SOURCES <files...> [LIBS <targets...>] [RESOURCE_LOCK <locks...>]
#                   [TIMEOUT <seconds>] [LABELS <labels...>])
# One QtTest executable per class or feature. CORVALIS_TEST_SOURCE_DIR points at the
# test's own source folder, so fixture files are found relative to it.
function(corvalis_add_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;RESOURCE_LOCK;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE corvalis_flags corvalis_testsupport Qt6::Test ${T_LIBS})
  target_compile_definitions(${name} PRIVATE
    CORVALIS_TEST_SOURCE_DIR="${CMAKE_CURRENT_SOURCE_DIR}"
    CORVALIS_BIN_DIR="${CMAKE_BINARY_DIR}/bin")
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/tests")
  add_test(NAME ${name} COMMAND ${name})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT}
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;ASAN_OPTIONS=detect_leaks=0")
  if(T_RESOURCE_LOCK)
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK "${T_RESOURCE_LOCK}")
  endif()
  if(T_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}")
  endif()
endfunction()
