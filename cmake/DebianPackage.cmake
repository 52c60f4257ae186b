# A Debian package: cpack -G DEB in the build folder. Its shared-library dependencies are
# computed by dpkg-shlibdeps; Qt's platform plugins are no library the program links, so they
# are named by hand.
string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Reads the system log that the Milvane control software writes and adds up the time spent\n"
    "in CUT mode, per date and in total. Shows the totals and a full report in one window, saves\n"
    "the report as text and CSV, and offers the same report without a window (runtally-report).")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# The package's folders as installed folders are, whatever the builder's umask.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
    GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
