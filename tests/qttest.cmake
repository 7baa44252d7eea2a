# Qt Test executables for windows and controls: pictaron_add_qt_test(NAME sources...).
# Each runs on the offscreen platform with its own settings folder.
include_guard(GLOBAL)

function(pictaron_add_qt_test name)
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE pictaron_gui Qt6::Test)
  target_compile_definitions(${name} PRIVATE PICTARON_TESTDATA="${PICTARON_TESTDATA}")
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    TIMEOUT 300
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;XDG_CONFIG_HOME=${CMAKE_CURRENT_BINARY_DIR}/${name}-config")
endfunction()
