# Installation: the programs, the two libraries with their public headers, their CMake packages
# (Vitrail::vitrail, VTRL3DS::vtrl3ds) and pkg-config files, the demo's data files and the
# documentation. Every installed path is relative to the prefix, so an installed tree can be moved.
include(CMakePackageConfigHelpers)

set(VTRL_SHOWROOM_EXEDIR ${CMAKE_INSTALL_LIBEXECDIR}/showroom)

# Headers the toolkit keeps to itself: internal helpers, the platform layer's backend seam and test
# seam. The model library keeps its private headers in vtrl3ds/private/, so every vtrl3ds/*.h is public.
set(VITRAIL_PRIVATE_HEADERS platform/bmpfile.h platform/internal.h platform/native.h platform/platform_test.h
    platform/text.h platform/win32/win32.h)

# ---- Programs ---------------------------------------------------------------------------------

# The manual page of every installed program, made from its --help by help2man when that is
# present (scripts/install-deps.sh installs it) and the programs run on the building machine.
find_program(VTRL_HELP2MAN help2man)
function(vtrl_install_manpage target)
  if(NOT VTRL_HELP2MAN OR CMAKE_CROSSCOMPILING)
    return()
  endif()
  set(page ${PROJECT_BINARY_DIR}/man/${target}.1.gz)
  add_custom_command(OUTPUT ${page}
                     COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
                     COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${target}> -DOUT=${page}
                             -P ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/manpage.cmake
                     DEPENDS ${target} ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/manpage.cmake
                     COMMENT "Manual page of ${target}")
  add_custom_target(${target}-manpage ALL DEPENDS ${page})
  install(FILES ${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()

# Installs program `target` into folder `destination`, with its manual page; with shared libraries
# it finds them relative to itself, wherever the tree is moved.
function(vtrl_install_program target destination)
  install(TARGETS ${target} RUNTIME DESTINATION ${destination})
  vtrl_install_manpage(${target})
  if(BUILD_SHARED_LIBS)
    file(RELATIVE_PATH libdir ${CMAKE_INSTALL_PREFIX}/${destination} ${CMAKE_INSTALL_FULL_LIBDIR})
    set_target_properties(${target} PROPERTIES INSTALL_RPATH "$ORIGIN/${libdir}")
  endif()
endfunction()

# The program loads its data files from the current folder: the installed `showroom` command is
# a launcher that starts it inside share/showroom.
vtrl_install_program(showroom ${VTRL_SHOWROOM_EXEDIR})
file(RELATIVE_PATH VTRL_LAUNCHER_TO_DATA ${CMAKE_INSTALL_FULL_BINDIR}
     ${CMAKE_INSTALL_PREFIX}/${VTRL_SHOWROOM_DATADIR})
file(RELATIVE_PATH VTRL_LAUNCHER_TO_EXE ${CMAKE_INSTALL_FULL_BINDIR}
     ${CMAKE_INSTALL_PREFIX}/${VTRL_SHOWROOM_EXEDIR}/showroom)
configure_file(${CMAKE_CURRENT_LIST_DIR}/showroom-launcher.sh.in ${PROJECT_BINARY_DIR}/showroom-launcher @ONLY)
install(PROGRAMS ${PROJECT_BINARY_DIR}/showroom-launcher DESTINATION ${CMAKE_INSTALL_BINDIR} RENAME showroom)

vtrl_install_program(vtrl3ds-info ${CMAKE_INSTALL_BINDIR})
vtrl_install_program(vtrl3ds-convert ${CMAKE_INSTALL_BINDIR})
if(TARGET vtrl3ds-view)
  vtrl_install_program(vtrl3ds-view ${CMAKE_INSTALL_BINDIR})
endif()

# The README with every picture it links, the licence terms as Debian lists them (copyright).
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
file(GLOB VTRL_DOC_PICTURES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/*.png)
install(FILES ${VTRL_DOC_PICTURES} DESTINATION ${CMAKE_INSTALL_DOCDIR}/docs)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/viewer/ DESTINATION ${CMAKE_INSTALL_DOCDIR}/docs/viewer
        FILES_MATCHING PATTERN "*.png")
install(FILES ${PROJECT_SOURCE_DIR}/cmake/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
file(GLOB VTRL_DOCS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/*.md)
install(FILES ${VTRL_DOCS} DESTINATION ${CMAKE_INSTALL_DOCDIR}/docs)

# ---- Libraries ---------------------------------------------------------------------------------

# Installs the public headers of library `name` and its generated version header: with `glob`
# GLOB, the .h files of its folder alone; with GLOB_RECURSE, of its subfolders too (keeping them, so
# consumers write the same include paths as the tree does), but the private ones given.
function(vtrl_install_headers name glob)
  file(${glob} headers RELATIVE ${PROJECT_SOURCE_DIR}/${name} CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${name}/*.h)
  if(ARGN)
    list(REMOVE_ITEM headers ${ARGN})
  endif()
  foreach(header ${headers})
    get_filename_component(dir ${header} DIRECTORY)
    install(FILES ${PROJECT_SOURCE_DIR}/${name}/${header} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/${name}/${dir})
  endforeach()
  install(FILES ${PROJECT_BINARY_DIR}/include/${name}/version.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/${name})
endfunction()

# Installs library `target` (and the further targets given) as package `package` (imported target
# package::target): the libraries, the package's config and version files and its pkg-config file.
function(vtrl_install_library target package)
  install(TARGETS ${target} ${ARGN} EXPORT ${package}Targets
          ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
          LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
          RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  set(dir ${CMAKE_INSTALL_LIBDIR}/cmake/${package})
  install(EXPORT ${package}Targets NAMESPACE ${package}:: DESTINATION ${dir})
  configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/${package}Config.cmake.in
                                ${PROJECT_BINARY_DIR}/${package}Config.cmake INSTALL_DESTINATION ${dir})
  write_basic_package_version_file(${PROJECT_BINARY_DIR}/${package}ConfigVersion.cmake
                                   COMPATIBILITY SameMajorVersion)
  install(FILES ${PROJECT_BINARY_DIR}/${package}Config.cmake ${PROJECT_BINARY_DIR}/${package}ConfigVersion.cmake
          DESTINATION ${dir})
  configure_file(${CMAKE_CURRENT_LIST_DIR}/${target}.pc.in ${PROJECT_BINARY_DIR}/${target}.pc @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/${target}.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
endfunction()

# pkg-config: the prefix is found from the .pc file's own folder, and a static Vitrail asks its
# users to link SDL too.
file(RELATIVE_PATH VTRL_PC_TO_PREFIX ${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig ${CMAKE_INSTALL_PREFIX})
string(REGEX REPLACE "/$" "" VTRL_PC_TO_PREFIX "${VTRL_PC_TO_PREFIX}")
if(BUILD_SHARED_LIBS)
  set(VTRL_PC_SDL2 "")
  set(VTRL_PC_SDL2_PRIVATE "sdl2")
else()
  set(VTRL_PC_SDL2 "sdl2")
  set(VTRL_PC_SDL2_PRIVATE "")
endif()

vtrl_install_headers(vitrail GLOB_RECURSE ${VITRAIL_PRIVATE_HEADERS})
vtrl_install_headers(vtrl3ds GLOB)
vtrl_install_library(vitrail Vitrail)
vtrl_install_library(vtrl3ds VTRL3DS vtrl3ds_core)
