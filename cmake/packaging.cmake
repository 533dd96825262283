# What `cmake --install` puts beside the two programs for a desktop, and the Debian package
# that cpack makes of it (scripts/package.sh).
include(GNUInstallDirs)

install(FILES ${PROJECT_SOURCE_DIR}/data/lomtra-sat.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/data/lomtra-sat.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# Manual pages carry the project's version and are installed compressed, as Debian's are.
find_program(GZIP_PROGRAM gzip REQUIRED)
set(manual_pages)
foreach(page lomtra-sat lomtra-tileserver)
  configure_file(${PROJECT_SOURCE_DIR}/data/man/${page}.1.in ${PROJECT_BINARY_DIR}/man/${page}.1 @ONLY)
  add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/man/${page}.1.gz
                     COMMAND ${GZIP_PROGRAM} -9 -n -f -k ${PROJECT_BINARY_DIR}/man/${page}.1
                     DEPENDS ${PROJECT_BINARY_DIR}/man/${page}.1
                     COMMENT "Compressing the manual page ${page}.1")
  list(APPEND manual_pages ${PROJECT_BINARY_DIR}/man/${page}.1.gz)
endforeach()
add_custom_target(manual_pages ALL DEPENDS ${manual_pages})
install(FILES ${manual_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_PACKAGE_NAME lomtra-sat)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Lomtra-SAT developers <maintainers@lomtra-sat.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "turns a latitude/longitude rectangle into one georeferenced satellite image")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Lomtra-SAT loads the 256 x 256 Web-Mercator tiles that cover an area one by one into an\n"
    "embedded web view, captures each, and stitches and crops them into one JPEG with a world\n"
    "file and a projection file that GIS software reads. lomtra-tileserver serves Earth\n"
    "imagery, a test pattern or a folder of tiles on the local machine.")
# Dependencies come from the shared libraries the programs are linked with.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The demo tile server's world picture is Debian's own; the program runs without it.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS xplanet-images)
include(CPack)
