# `cpack -G DEB` in a build folder makes lumetra_<version>_<arch>.deb of what `cmake --install`
# puts in place, installed under /usr.
set(CPACK_PACKAGE_NAME lumetra)
set(CPACK_PACKAGE_VENDOR "Quillfeather Audio")
set(CPACK_PACKAGE_CONTACT ${LUMETRA_MAINTAINER})
set(CPACK_PACKAGE_HOMEPAGE_URL http://www.quillfeather.example)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "MIDI traffic monitor and message sender")
# Debian shows the long description as it stands: lines kept under 80 columns.
set(CPACK_PACKAGE_DESCRIPTION
    "Lumetra is for people who build or troubleshoot MIDI equipment. Every\n"
    "message that arrives on the chosen input ports becomes one decoded row:\n"
    "time stamp to the microsecond, status, data bytes, channel, kind of\n"
    "message, System Exclusive bytes and the message in words. Messages typed\n"
    "as hex are sent to the chosen output port once or repeatedly at a rate.\n"
    "A filter keeps channels and kinds of message out of the capture. The\n"
    "traffic can be saved as text, CSV, a MIDI file or a capture that opens\n"
    "again, and a loop test measures a MIDI path. Capturing, sending and the\n"
    "loop test also run from the command line, without a window.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
# dpkg-shlibdeps finds the libraries the program links; it cannot see that Qt loads its
# platform plugins at run time, and a window needs one of them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-qpa-plugins)
# md5sums and the rest of the control files with the modes Debian's policy gives them (0644),
# whatever the umask of the build.
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
