# Installs Corvane Manager as a desktop program and makes its Debian package (cpack -G DEB).
# Included after every program target is defined, so that the install rules find them all.
include(GNUInstallDirs)

set(CORVANE_PACKAGE_NAME corvane-manager)
set(CORVANE_APP_ID com.vantora.CorvaneManager)
# Both name the supported USB printers, so the build writes them from the model table.
set(CORVANE_UDEV_RULE ${PROJECT_BINARY_DIR}/packaging/70-corvane-manager.rules)
set(CORVANE_METAINFO ${PROJECT_BINARY_DIR}/packaging/${CORVANE_APP_ID}.metainfo.xml)
set(CORVANE_PACKAGE_MAINTAINER "Corvane Manager maintainers <maintainers@corvane.example>"
    CACHE STRING "Maintainer field of the Debian package")

add_subdirectory(packaging)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${CORVANE_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${CORVANE_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "setup tool for VANTORA roll-paper printers")
# Debian wants the lines of the long description shorter than 80 characters.
set(CPACK_PACKAGE_DESCRIPTION
    "Corvane Manager sets up VANTORA KRT-310, KRT-310II and KRT-620 roll-paper
printers. It connects over serial, parallel or USB, identifies the printer,
reads and sets its memory switches, keeps them in status files, prints
self-tests, configures printers that run the \"Other\" emulation with
line-mode commands, and stores the KRT-620's vertical alignment.

The package adds the program to the desktop's menu and gives the logged-in
user access to the supported USB printers through a udev rule. Serial ports
need membership of the dialout group, parallel ports of lp.

corvane-sim serves a simulated printer on a pseudo-terminal, so that every
function can be tried without hardware.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The dependencies are those of the shared libraries the programs link.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS udev)
# Only the udev rule needs a script: printers plugged in before the install get access at once.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/packaging/debian/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_VERBATIM_VARIABLES ON)
include(CPack)
