# A Debian package of the programs and their shipped data, made with `cpack -G DEB`. Only what has
# an install rule goes in: the two programs, share/corvane, the desktop integration and the
# documentation, with Debian's copyright file and changelog.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME corvane)
set(CPACK_PACKAGE_VENDOR "Kestrona")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Corvane maintainers <corvane@kestrona.com>" CACHE STRING
    "Maintainer field of the Debian package")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Editor of 3D-printer filament material definitions")
# Debian wants the long description in lines of under 80 columns.
set(CPACK_PACKAGE_DESCRIPTION "Corvane edits the filament materials that a slicer reads: each material's
identity and basic properties, and its print sets of temperatures, speeds,
accelerations, extrusion and line widths for each printer, nozzle, layer
thickness and quality. It ships a vendor library of common materials and
keeps the user's own materials beside it. The corvane-cvx tool lists,
converts, checks and compares material files from the command line.")
set(CPACK_PACKAGE_INSTALL_DIRECTORY corvane)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# Folders as Debian wants them (0755), whatever the umask of the one who packs.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
find_program(CORVANE_DPKG dpkg)
mark_as_advanced(CORVANE_DPKG)
if(CORVANE_DPKG)
    execute_process(COMMAND ${CORVANE_DPKG} --print-architecture
        OUTPUT_VARIABLE CPACK_DEBIAN_PACKAGE_ARCHITECTURE OUTPUT_STRIP_TRAILING_WHITESPACE)
endif()

# The libraries the programs link, and the QML modules the scene imports, which no linker sees.
# package_test.sh checks the libraries against the programs and the modules against a run.
set(corvane_deb_depends
    libc6 libstdc++6 libgcc-s1
    libqt5core5a libqt5gui5 libqt5network5 libqt5widgets5 libqt5qml5 libqt5qmlmodels5 libqt5quick5 libqt5quickcontrols2-5 libcjson1
    qml-module-qtqml qml-module-qtquick2 qml-module-qtquick-window2 qml-module-qtqml-models2
    qml-module-qtquick-controls2 qml-module-qtquick-templates2 qml-module-qtquick-layouts
    qml-module-qtquick-dialogs qml-module-qtquick-controls qml-module-qtquick-extras
    qml-module-qtquick-privatewidgets qml-module-qt-labs-folderlistmodel qml-module-qt-labs-settings
    qml-module-qtgraphicaleffects)
list(JOIN corvane_deb_depends ", " CPACK_DEBIAN_PACKAGE_DEPENDS)
# The scene's symbols and CJK texts, and the toolkit's own texts in other languages.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-symbola, fonts-noto-core, fonts-noto-cjk, qttranslations5-l10n")

# The Debian version: this upstream version and the revision of its packaging. The changelog
# carries it, dated with the release.
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CORVANE_DEB_VERSION ${CPACK_PACKAGE_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE})
execute_process(COMMAND date -u -R -d ${CORVANE_RELEASE_DATE}
    OUTPUT_VARIABLE CORVANE_RELEASE_DATE_RFC2822 OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "CORVANE_RELEASE_DATE '${CORVANE_RELEASE_DATE}' is not a date")
endif()
include(${PROJECT_SOURCE_DIR}/cmake/ConfigureGzipped.cmake)
corvane_configure_gzipped(${PROJECT_SOURCE_DIR}/data/debian/changelog.in ${CMAKE_BINARY_DIR}/debian/changelog.Debian)
install(FILES ${PROJECT_SOURCE_DIR}/data/debian/copyright ${CMAKE_BINARY_DIR}/debian/changelog.Debian.gz
    DESTINATION share/doc/corvane)

include(CPack)
