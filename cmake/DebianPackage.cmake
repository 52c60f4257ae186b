# A Debian package: cpack -G DEB in the build folder. Its shared-library dependencies are
# computed by dpkg-shlibdeps; Qt's platform plugins are no library the program links, so they
# are named by hand. The package carries what Debian's policy asks of one, and lintian checks it
# (scripts/package-check.sh): the copyright in Debian's machine-readable form, made from
# LICENSE; the changelog (cmake/debian/changelog); manual pages; stripped programs.
string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Reads the system log that the Milvane control software writes and adds up\n"
    "the time spent in CUT mode, per date and in total. Shows the totals and a\n"
    "full report in one window and saves the report as text and CSV.\n"
    "runtally-report gives the same without a window, and also a web page and\n"
    "JSON with when the machine cut, its utilisation and the cost of cutting.")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_STRIP_FILES ON)
# The package's folders as installed folders are, whatever the builder's umask.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
    GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(RUNTALLY_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/runtally)

# The copyright file: LICENSE as the text of the Expat licence, each line indented, an empty line
# written as " .".
file(READ ${PROJECT_SOURCE_DIR}/LICENSE licence)
string(REGEX MATCH "Copyright \\(c\\) ([^\n]*)" holder "${licence}")
set(holder "${CMAKE_MATCH_1}")
string(REGEX REPLACE "^MIT License\n\n[^\n]*\n\n" "" terms "${licence}")
string(REGEX REPLACE "\n+$" "" terms "${terms}")
string(REPLACE "\n\n" "\n.\n" terms "${terms}")
string(REPLACE "\n" "\n " terms "${terms}")
file(WRITE ${CMAKE_BINARY_DIR}/debian/copyright
    "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
    "Upstream-Name: runtally\n\n"
    "Files: *\nCopyright: ${holder}\nLicense: Expat\n\n"
    "License: Expat\n ${terms}\n")

# The changelog and the manual pages, gzipped without a name or a time in their headers, so that
# two builds of one commit give the same bytes. runtally-report's page is its --help, so the
# program runs during the build: not in the builds made to test under sanitizers, which are never
# packaged.
if(RUNTALLY_SANITIZE OR RUNTALLY_TSAN OR RUNTALLY_FUZZ OR CMAKE_CROSSCOMPILING)
    include(CPack)
    return()
endif()
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/debian/changelog.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/cmake/debian/changelog
            ${CMAKE_BINARY_DIR}/debian/changelog
    COMMAND gzip -9nf ${CMAKE_BINARY_DIR}/debian/changelog
    DEPENDS ${PROJECT_SOURCE_DIR}/cmake/debian/changelog VERBATIM)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/man/runtally-report.1.gz
    COMMAND ${CMAKE_COMMAND} -DNAME=runtally-report -DPROGRAM=$<TARGET_FILE:runtally-report>
            "-DSUMMARY=cut time of a Milvane cutting machine, without a window"
            -DVERSION=${PROJECT_VERSION} -DOUTPUT=${CMAKE_BINARY_DIR}/man/runtally-report.1.gz
            -P ${PROJECT_SOURCE_DIR}/cmake/ManPage.cmake
    DEPENDS runtally-report ${PROJECT_SOURCE_DIR}/cmake/ManPage.cmake VERBATIM)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/man/runtally.1.gz
    COMMAND ${CMAKE_COMMAND} -DNAME=runtally
            "-DSUMMARY=cut time of a Milvane cutting machine, from its system log"
            "-DSYNOPSIS="
            "-DDESCRIPTION=Finds the Milvane system log, mvsys.log, through the user's Milvane setting, adds up the time spent in CUT mode per date and in total, and shows the total, a list of the dates with their times and the full report in one window. The report and a CSV of it are written as report.tmp and csv.tmp beside the program, or in the user's data folder where the program's folder cannot be written. Save reports? turns them into NAME.txt and NAME.csv; closing the window deletes what is left of them. Ctrl+B shows the report as a web page. The same report without a window: runtally-report(1)."
            -DVERSION=${PROJECT_VERSION} -DOUTPUT=${CMAKE_BINARY_DIR}/man/runtally.1.gz
            -P ${PROJECT_SOURCE_DIR}/cmake/ManPage.cmake
    DEPENDS ${PROJECT_SOURCE_DIR}/cmake/ManPage.cmake VERBATIM)
add_custom_target(debian_files ALL DEPENDS ${CMAKE_BINARY_DIR}/debian/changelog.gz
    ${CMAKE_BINARY_DIR}/man/runtally-report.1.gz ${CMAKE_BINARY_DIR}/man/runtally.1.gz)

install(FILES ${CMAKE_BINARY_DIR}/debian/copyright ${CMAKE_BINARY_DIR}/debian/changelog.gz
    DESTINATION ${RUNTALLY_DOC_DIR})
install(FILES ${CMAKE_BINARY_DIR}/man/runtally.1.gz ${CMAKE_BINARY_DIR}/man/runtally-report.1.gz
    DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
include(CPack)
