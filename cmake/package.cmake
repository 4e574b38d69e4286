# The Debian package (`make package`, CPack's DEB generator): everything `cmake --install` puts
# under /usr, named showroom_<version>_<arch>.deb, with its run-time dependencies computed from the
# programs' shared libraries by dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME showroom)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Real-time 3D demonstration with its toolkit (Vitrail) and model library (VTRL_3DS)")
set(CPACK_PACKAGE_DESCRIPTION
    "showroom draws a sky box and cube-mapped solids, a teapot, a 3DS model and water. The package also holds the Vitrail and VTRL_3DS libraries with their headers, CMake packages and pkg-config files, and the Python module vtrl3ds.")
set(CPACK_PACKAGE_CONTACT "showroom developers")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# SDL opens the GL library (libGL.so.1) only at run time, where dpkg-shlibdeps cannot see it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libgl1")
# The Python module (lib/python3/dist-packages/vtrl3ds) needs its interpreter series and numpy.
if(VTRL_PYTHON_DEPENDS)
  string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", ${VTRL_PYTHON_DEPENDS}")
endif()
# Building against the installed libraries also needs the development files of what they use.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "libsdl2-dev, libgl-dev, libglu1-mesa-dev")
include(CPack)
