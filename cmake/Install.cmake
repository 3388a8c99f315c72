# Install rules and the Debian package (cpack -G DEB in the build folder).
#
# Installed layout: the program and its companion tools in bin/; the icon set with the default
# style file, the movement sound, the help file and the sample drive in share/vireo-decoder/; the
# desktop entry, its icon and the AppStream metainfo where desktops look for them. An installed
# program keeps each user's files in that user's data folder (see src/shell/ApplicationFolder.h).
include(GNUInstallDirs)
set(VIREO_SHARE_DIR ${CMAKE_INSTALL_DATADIR}/vireo-decoder)
set(VIREO_DESKTOP_DIR ${PROJECT_SOURCE_DIR}/resources/desktop)

install(TARGETS vireo-decoder vireo-agw-replay vireo-aprs-decode
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${PROJECT_BINARY_DIR}/Icons DESTINATION ${VIREO_SHARE_DIR})
install(FILES ${PROJECT_SOURCE_DIR}/resources/move.wav DESTINATION ${VIREO_SHARE_DIR})
install(FILES ${PROJECT_SOURCE_DIR}/resources/Vireo_Istr.rtf DESTINATION ${VIREO_SHARE_DIR}
        OPTIONAL)
install(FILES ${PROJECT_SOURCE_DIR}/resources/samples/sample-drive.log
        DESTINATION ${VIREO_SHARE_DIR}/samples)
install(FILES ${VIREO_DESKTOP_DIR}/vireo-decoder.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${VIREO_DESKTOP_DIR}/vireo-decoder.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${VIREO_DESKTOP_DIR}/vireo-decoder.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vireo-decoder)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Vireo Decoder developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "watch moving APRS stations on the Google Earth globe")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # vireo-decoder_<version>_<arch>.deb
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Vireo Decoder developers")
set(CPACK_DEBIAN_PACKAGE_SECTION hamradio)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# CPack puts the summary first and indents these lines as the long description.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Vireo Decoder is a client of an AGWPE-compatible TNC such as Direwolf. It decodes
the position reports of moving APRS stations (Mic-E, uncompressed and compressed),
keeps each station's line and track, and serves a live KML document to a Google
Earth network link from its own HTTP server on port 8008.

vireo-agw-replay, a TNC without a radio, plays the included sample drive.")
# The Qt 6 runtime of Debian 12, with the platform plugins the libraries alone do not pull in;
# dpkg-shlibdeps adds what the executables link against.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6core6, libqt6gui6, libqt6widgets6, libqt6network6, qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "direwolf")
include(CPack)
