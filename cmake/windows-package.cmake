# The Windows package (`make package-windows`): a .zip of every program the build makes in app/
# and tools/ (the data generator aside, which only serves the build), the demo's data files and
# the README, in one folder, named showroom-<version>-windows-x64.zip in the build folder.
set(VTRL_WINDOWS_ZIP ${PROJECT_BINARY_DIR}/showroom-${PROJECT_VERSION}-windows-x64.zip)
set(stage ${PROJECT_BINARY_DIR}/package-windows/showroom-${PROJECT_VERSION})

# Every executable target defined in folder `dir` and the folders below it, into `out`.
function(vtrl_programs_in dir out)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  set(found)
  foreach(t ${targets})
    get_target_property(type ${t} TYPE)
    if(type STREQUAL "EXECUTABLE" AND NOT t MATCHES "datagen")
      list(APPEND found ${t})
    endif()
  endforeach()
  foreach(sub ${subdirs})
    vtrl_programs_in(${sub} more)
    list(APPEND found ${more})
  endforeach()
  set(${out} ${found} PARENT_SCOPE)
endfunction()

vtrl_programs_in(${PROJECT_SOURCE_DIR}/app app_programs)
vtrl_programs_in(${PROJECT_SOURCE_DIR}/tools tool_programs)
get_property(data_files GLOBAL PROPERTY VTRL_DATA_FILES)
set(copies)
foreach(program ${app_programs} ${tool_programs})
  list(APPEND copies COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:${program}> ${stage}/)
endforeach()
add_custom_target(package-windows
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${PROJECT_BINARY_DIR}/package-windows
  COMMAND ${CMAKE_COMMAND} -E make_directory ${stage}
  ${copies}
  COMMAND ${CMAKE_COMMAND} -E copy ${data_files} ${PROJECT_SOURCE_DIR}/README.md ${stage}/
  COMMAND ${CMAKE_COMMAND} -E chdir ${PROJECT_BINARY_DIR}/package-windows
          ${CMAKE_COMMAND} -E tar cf ${VTRL_WINDOWS_ZIP} --format=zip showroom-${PROJECT_VERSION}
  DEPENDS ${app_programs} ${tool_programs} showroom_data
  COMMENT "Packing ${VTRL_WINDOWS_ZIP}"
  VERBATIM)
