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

# The documents Debian asks of a package: the copyright, and the changelog and
# manual page compressed as its tools compress them (gzip -9n: no name or
# time stamp in the file, so that a build gives the same bytes each time).
# Made with the program, so that building it is enough for the package.
set(QUINDLE_PACKAGE_DIR ${QUINDLE_RES_DIR}/package)
configure_file(${QUINDLE_PACKAGE_DIR}/quindle.1.in ${PROJECT_BINARY_DIR}/quindle.1 @ONLY)
find_program(QUINDLE_GZIP gzip REQUIRED)
add_custom_command(
    OUTPUT ${PROJECT_BINARY_DIR}/quindle.1.gz ${PROJECT_BINARY_DIR}/changelog.gz
    COMMAND ${QUINDLE_GZIP} -9n -c ${PROJECT_BINARY_DIR}/quindle.1 > ${PROJECT_BINARY_DIR}/quindle.1.gz
    COMMAND ${QUINDLE_GZIP} -9n -c ${QUINDLE_PACKAGE_DIR}/changelog > ${PROJECT_BINARY_DIR}/changelog.gz
    DEPENDS ${PROJECT_BINARY_DIR}/quindle.1 ${QUINDLE_PACKAGE_DIR}/changelog
    VERBATIM)
add_custom_target(quindle_documents DEPENDS ${PROJECT_BINARY_DIR}/quindle.1.gz
                                            ${PROJECT_BINARY_DIR}/changelog.gz)
add_dependencies(quindle quindle_documents)
install(FILES ${PROJECT_BINARY_DIR}/quindle.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${QUINDLE_PACKAGE_DIR}/copyright ${PROJECT_BINARY_DIR}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quindle)

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
