# End-to-end runs of the Windows programs under Wine, in a private Xvfb with openbox (without a
# window manager Wine waits seconds on message boxes). The driver answers boxes and sends keys
# from inside Wine. Each tests/e2e/windows/test_*.sh is one test.
add_executable(e2e_drive ${CMAKE_CURRENT_LIST_DIR}/drive.cpp)
vtrl_warnings(e2e_drive)
file(GLOB VTRL_WINDOWS_E2E CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/test_*.sh)
foreach(script ${VTRL_WINDOWS_E2E})
  get_filename_component(name ${script} NAME_WE)
  add_test(NAME e2e.windows.${name}
           COMMAND bash ${script} $<TARGET_FILE:showroom> $<TARGET_FILE:e2e_drive> ${CMAKE_CURRENT_BINARY_DIR}/e2e
                   ${CMAKE_BINARY_DIR}/data)
  set_tests_properties(e2e.windows.${name} PROPERTIES LABELS e2e TIMEOUT 300 RUN_SERIAL TRUE
                       ENVIRONMENT WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix)
endforeach()
