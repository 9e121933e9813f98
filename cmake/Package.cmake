# `make package` (cpack -G DEB in the build folder): one .deb of what tav_install_products and
# dist/ install, under /usr. Its dependencies are Debian's packages of the shared libraries the
# binaries link (dpkg-shlibdeps); the ODBC drivers, loaded by unixODBC at run time, are
# recommended.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${TAV_DATADIR_NAME})
set(CPACK_PACKAGE_VENDOR "TAV")
set(CPACK_PACKAGE_CONTACT "TAV maintainers <tav@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "TAVMPrintExport print-data component, its platform and the tavprint client")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "The print-data component of the TAV accounting and inventory application (print\n"
       "templates, bill head and entry data, print counters and pictures) with the small COM,\n"
       "OLE Automation and ADO platform it runs on, the outside components it creates, a T-SQL\n"
       "runtime extension for SQLite and the late-bound command-line client tavprint.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Our own libraries, which the package brings, are resolved from the build's library folder.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_LIBRARY_OUTPUT_DIRECTORY})
# Printed bills are Chinese: without a CJK font fontconfig has nothing to draw their text with.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-wqy-microhei")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "tdsodbc, libsqliteodbc, odbcinst")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "sqlite3, bash-completion")
include(CPack)
