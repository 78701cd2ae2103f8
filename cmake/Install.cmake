# What `cmake --install` puts where the freedesktop and Debian conventions say, and the Debian package
# (`make package`). The installed programs find their guide and demo under ../share/orvantis beside bin/.
include(GNUInstallDirs)
set(orvantis_gen ${CMAKE_BINARY_DIR}/install-files)
set(orvantis_share ${CMAKE_INSTALL_DATADIR}/orvantis)

# orvantis-cli's manual page and bash completion, written from the help table that --help prints.
add_executable(orvantis-cli-docs ${CMAKE_SOURCE_DIR}/cli/docgen/main.cpp)
target_include_directories(orvantis-cli-docs PRIVATE ${CMAKE_SOURCE_DIR})
add_custom_command(
    OUTPUT ${orvantis_gen}/orvantis-cli.1 ${orvantis_gen}/completions/orvantis-cli
    COMMAND ${CMAKE_COMMAND} -E make_directory ${orvantis_gen}/completions
    COMMAND orvantis-cli-docs ${CMAKE_SOURCE_DIR}/res/man/orvantis-cli.1.in ${orvantis_gen}/orvantis-cli.1
            ${CMAKE_SOURCE_DIR}/res/completion/orvantis-cli.bash.in ${orvantis_gen}/completions/orvantis-cli
            ${PROJECT_VERSION}
    DEPENDS orvantis-cli-docs ${CMAKE_SOURCE_DIR}/res/man/orvantis-cli.1.in
            ${CMAKE_SOURCE_DIR}/res/completion/orvantis-cli.bash.in
    VERBATIM)

# The package's maintainer and its changelog, which Debian asks of every package.
set(ORVANTIS_MAINTAINER "Orvantis developers <orvantis@example.org>" CACHE STRING
    "The Maintainer of the Debian package and its changelog entry")
string(TIMESTAMP orvantis_date "%a, %d %b %Y 00:00:00 +0000" UTC)
file(CONFIGURE OUTPUT ${orvantis_gen}/changelog
     CONTENT "orvantis (${PROJECT_VERSION}) stable; urgency=medium\n\n  * Orvantis ${PROJECT_VERSION}.\n\n\
 -- ${ORVANTIS_MAINTAINER}  ${orvantis_date}\n")

# Debian keeps manual pages and changelogs compressed (-n: the same bytes on every build).
set(orvantis_man_pages)
foreach(page ${orvantis_gen}/orvantis-cli.1 ${CMAKE_SOURCE_DIR}/res/man/orvantis.1
             ${CMAKE_SOURCE_DIR}/res/man/orvantis486.1 ${orvantis_gen}/changelog)
    get_filename_component(name ${page} NAME)
    add_custom_command(OUTPUT ${orvantis_gen}/${name}.gz
                       COMMAND sh -c "gzip -9n < \"$0\" > \"$1\"" ${page} ${orvantis_gen}/${name}.gz
                       DEPENDS ${page} VERBATIM)
    if(NOT name STREQUAL "changelog")
        list(APPEND orvantis_man_pages ${orvantis_gen}/${name}.gz)
    endif()
endforeach()

# The demo's elevation file and texture, made by the program's own tools.
set(orvantis_demo_data ${orvantis_gen}/demo/jacksboro-elev.tga ${orvantis_gen}/demo/palette.tga
                       ${orvantis_gen}/demo/jacksboro-texture.tga)
add_custom_command(
    OUTPUT ${orvantis_demo_data}
    COMMAND ${CMAKE_COMMAND} -DCLI=$<TARGET_FILE:orvantis-cli> -DEXAMPLES=${CMAKE_SOURCE_DIR}/examples
            -DOUT=${orvantis_gen}/demo -P ${CMAKE_SOURCE_DIR}/cmake/MakeDemoData.cmake
    DEPENDS ${CMAKE_SOURCE_DIR}/examples/jacksboro.dem ${CMAKE_SOURCE_DIR}/examples/make-palette.py
            ${CMAKE_SOURCE_DIR}/cmake/MakeDemoData.cmake
    VERBATIM)
add_custom_target(orvantis-install-files ALL DEPENDS ${orvantis_man_pages} ${orvantis_demo_data}
                                                     ${orvantis_gen}/changelog.gz
                                                     ${orvantis_gen}/completions/orvantis-cli)
add_dependencies(orvantis-install-files orvantis-cli)

# The desktop entry starts the installed program by name.
set(EXECUTABLE orvantis)
configure_file(${CMAKE_SOURCE_DIR}/res/orvantis.desktop ${orvantis_gen}/orvantis.desktop @ONLY)

install(TARGETS orvantis-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
foreach(module orvantis-geodata orvantis-video)
    if(TARGET ${module})
        install(TARGETS ${module} LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}/orvantis)
    endif()
endforeach()
if(TARGET orvantis)
    install(TARGETS orvantis orvantis486 RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(FILES ${orvantis_gen}/orvantis.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES res/icons/orvantis.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
    install(FILES res/orvantis-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
            RENAME orvantis.xml)
    install(FILES res/help/index.html res/help/guide.css DESTINATION ${orvantis_share}/help)
    install(FILES ${orvantis_gen}/orvantis.1.gz ${orvantis_gen}/orvantis486.1.gz
            DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()
install(FILES ${orvantis_gen}/orvantis-cli.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${orvantis_gen}/completions/orvantis-cli
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
install(FILES examples/demo-curved.ovs examples/demo-straight.ovs examples/README.md examples/jacksboro.dem
        DESTINATION ${orvantis_share}/examples)
install(FILES ${orvantis_demo_data} DESTINATION ${orvantis_share}/examples/generated)
install(FILES res/copyright ${orvantis_gen}/changelog.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/orvantis)

# The Debian package. The MIME, desktop and icon caches are brought up to date by the file triggers of
# shared-mime-info, desktop-file-utils and the icon theme, so the package needs no maintainer scripts.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvantis)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "terrain fly-over renderer and terrain tools")
set(CPACK_PACKAGE_DESCRIPTION
    "Orvantis renders animated fly-overs of terrain from an elevation image, an\n"
    "optional texture and an optional mask: a pinhole camera flies a straight eased\n"
    "path or a closed smooth curve with terrain following, and every frame is\n"
    "written as TGA or YUV, or encoded into an MP4 or WebM video.\n"
    ".\n"
    "The package holds the desktop application (orvantis), the command line\n"
    "(orvantis-cli) that renders scenes and runs the terrain and image tools without\n"
    "a window (USGS DEM and GDAL raster import, colouring, convolution, merging,\n"
    "masking, resampling, rectification), the user guide and a demo over real\n"
    "terrain.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${ORVANTIS_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
include(CPack)
