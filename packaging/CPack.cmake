# The Debian package: `cpack -G DEB` in the build directory makes
# corvane_<version>_amd64.deb from the install rules (the intro, the capture
# tool, the desktop entry and its icon, under /usr).
set(CPACK_PACKAGE_NAME corvane)
set(CPACK_PACKAGE_VENDOR "The Corvane developers")
set(CPACK_PACKAGE_CONTACT "The Corvane developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "small typer intro with a tracker tune")
set(CPACK_PACKAGE_DESCRIPTION
    "A grey logo and pages of typed text in a 17 x 17 pixel font, wobbling and\n\
fading, over a looping four-channel tracker module. Escape quits, F1 switches\n\
between full screen and a window, F2 between whole-number and filling\n\
enlargement. corvane-capture records the intro as PNG frames and a WAV file\n\
without a display.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The runtime libraries of the programs, as dpkg-shlibdeps finds them. The
# player library that the intro writes out and loads at run time needs SDL2
# and libopenmpt, which the programs link as well; tests/package checks that
# every library any of them needs is among the dependencies.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "ffmpeg")
include(CPack)
