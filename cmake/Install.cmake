# Installation layout and the Debian package.
#
#   cmake --install build --prefix /tmp/q    install into a staging tree
#   cd build && cpack                        build quindle_<version>_<arch>.deb

include(GNUInstallDirs)

set(QUINDLE_APP_ID org.quindle.Quindle)
set(QUINDLE_RES_DIR ${PROJECT_SOURCE_DIR}/res)

install(TARGETS quindle RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

install(FILES ${QUINDLE_RES_DIR}/${QUINDLE_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${QUINDLE_RES_DIR}/${QUINDLE_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${QUINDLE_RES_DIR}/quindle-32.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/32x32/apps
        RENAME ${QUINDLE_APP_ID}.png)
install(FILES ${QUINDLE_RES_DIR}/quindle.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${QUINDLE_APP_ID}.svg)

# Checks of the resource files themselves (validators, help completeness).
if(QUINDLE_BUILD_TESTS)
    add_test(NAME resources COMMAND ${QUINDLE_RES_DIR}/check-resources.sh)
    set_tests_properties(resources PROPERTIES SKIP_RETURN_CODE 77)
endif()

# Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quindle)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Quindle developers")
set(CPACK_PACKAGE_CONTACT "Quindle developers <dev@quindle.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop calculator for linear algebra on small matrices")
set(CPACK_PACKAGE_DESCRIPTION
    "Quindle computes with matrices, vectors and numbers of up to 20 rows and
20 columns, each shown in a window of its own as a grid of editable cells:
sums, products, powers, transposes, cofactors, adjoints, inverses,
determinants, linear systems, and magnitudes, dot and cross products and
angles of vectors. Objects can be saved to and loaded from plain text files.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Quindle developers <dev@quindle.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION math)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The Qt libraries come from dpkg-shlibdeps; the platform plugins are loaded
# at run time, so no linker dependency names them: xcb (and offscreen) come
# in qt6-qpa-plugins, Wayland in qt6-wayland (a Wayland desktop without
# Xwayland has nothing else).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-wayland")

include(CPack)
