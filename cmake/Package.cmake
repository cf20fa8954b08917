# make deb: a Debian package of the installed files (cmake --install), with the library
# dependencies that dpkg-shlibdeps finds in the program and the packages it loads at run time.
# No public address or mail exists for the project yet: the maintainer is named without a
# made-up domain until one does (-DVEMO_MAINTAINER="Name <mail>").
set(VEMO_MAINTAINER "Vemo developers <vemo@localhost>" CACHE STRING "Maintainer of the Debian package")
if(VEMO_MAINTAINER STREQUAL "The Vemo developers <vemo@example.org>")
    set_property(CACHE VEMO_MAINTAINER PROPERTY VALUE "Vemo developers <vemo@localhost>")
endif()

# cmake --install and cpack take what is built; make deb builds only the program and its files.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vemo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Vemo developers")
set(CPACK_PACKAGE_CONTACT ${VEMO_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "bilingual Russian and English text-to-speech reader")
set(CPACK_PACKAGE_DESCRIPTION
    "Vemo reads texts that mix Russian and English aloud: every English word goes to an English
voice and every Russian word to a Russian voice, each with its own speed and volume, while the
word being spoken is selected. It speaks texts into WAV or MP3 files, converts whole folders of
books into sound files and, through ffmpeg, into videos, and cleans up imported text.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
if(VEMO_HOMEPAGE)
    set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${VEMO_HOMEPAGE})
endif()
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so dpkg-shlibdeps cannot see them: the voices' data, the window system's
# platform plugins and the SVG icon engine. ffmpeg only makes the videos; Festival's voices are
# data that the voice lists offer when installed.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "espeak-ng-data, qt6-qpa-plugins, libqt6svg6")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "ffmpeg, festival, festvox-ru, festvox-kallpc16k, festvox-us-slt-hts")
include(CPack)
