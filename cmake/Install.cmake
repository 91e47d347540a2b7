# What `cmake --install` puts in place, and the Debian package that
# `cpack -G DEB` makes of it in the build directory. Only the two programs and
# their files are installed: no tests, benchmark, fuzz targets or libraries.
include(GNUInstallDirs)

set(ZUNKARO_INSTALL_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/zunkaro)

install(TARGETS zunkaro-report RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES doc/zunkaro-report.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
if(TARGET zunkaro)
  install(TARGETS zunkaro RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES doc/zunkaro.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES packaging/zunkaro.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES packaging/zunkaro.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()
install(FILES samples/sample.log DESTINATION ${ZUNKARO_INSTALL_DOCDIR}/examples)
install(FILES LICENSE DESTINATION ${ZUNKARO_INSTALL_DOCDIR} RENAME copyright)

# The version as the programs print it ("0.30beta2"), from the one place that
# holds it. Debian's order puts 0.30~beta2 before 0.30, as a pre-release goes.
file(STRINGS src/core/version.hpp version_line REGEX "kVersionAscii = \"[^\"]+\"")
string(REGEX REPLACE ".*\"([^\"]+)\".*" "\\1" ZUNKARO_VERSION "${version_line}")
string(REGEX REPLACE "([0-9])([a-z])" "\\1~\\2" debian_version "${ZUNKARO_VERSION}")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zunkaro)
set(CPACK_PACKAGE_VENDOR "the Zunkaro developers")
set(CPACK_PACKAGE_CONTACT "the Zunkaro developers")
set(CPACK_PACKAGE_VERSION ${debian_version})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "rank the posters of Japanese forum logs")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_SOURCE_IGNORE_FILES "/\\\\.git" "/build")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
# The summary above comes first; this is the text under it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Zunkaro analyses captured logs of Japanese online forums (Shift-JIS text of
fixed-column message headers, date lines, body lines and separators). It
counts the visible characters of every message, tallies the messages per
User-ID, and ranks the posters by characters, by posts and by average
characters per post in a fixed-width report.
.
It comes as a window (zunkaro) and as a command for scripts and terminals
(zunkaro-report).")
# The libraries come from the programs themselves (dpkg-shlibdeps); what they
# load by name does not show there: Qt's Japanese texts and the fonts that
# keep the report's columns.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-translations-l10n, fonts-ipafont-gothic")

include(CPack)
