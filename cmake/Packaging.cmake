# Installation and the Debian package (CPack): the two programs, the desktop
# entry with its icon, the MIME types of profile files, the AppStream metadata
# and the manual pages. `cmake --build build/release --target package` builds
# build/release/svclient_<version>-1_<arch>.deb.
include(GNUInstallDirs)
find_package(Qt6 REQUIRED COMPONENTS Svg)

set(SV_APP_ID org.vx4400.svclient)
set(SV_PACKAGING ${PROJECT_SOURCE_DIR}/packaging)
string(TIMESTAMP SV_RELEASE_DATE "%Y-%m-%d" UTC)
configure_file(${SV_PACKAGING}/${SV_APP_ID}.metainfo.xml.in ${CMAKE_BINARY_DIR}/${SV_APP_ID}.metainfo.xml @ONLY)

install(TARGETS svclient svptool RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${SV_PACKAGING}/${SV_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_BINARY_DIR}/${SV_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${SV_PACKAGING}/${SV_APP_ID}.mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME ${SV_APP_ID}.xml)
install(FILES ${SV_PACKAGING}/svclient.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${SV_APP_ID}.svg)

# The PNG sizes of the icon, rendered from the same SVG with Qt.
add_executable(render_icon ${SV_PACKAGING}/render_icon.cpp)
target_compile_options(render_icon PRIVATE ${SV_WARNINGS})
target_link_libraries(render_icon PRIVATE Qt6::Gui Qt6::Svg)
set(icons)
foreach(size 16 22 24 32 48 64 128 256)
  set(png ${CMAKE_BINARY_DIR}/icons/${size}/${SV_APP_ID}.png)
  add_custom_command(OUTPUT ${png}
                     COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons/${size}
                     COMMAND render_icon ${SV_PACKAGING}/svclient.svg ${png} ${size}
                     DEPENDS render_icon ${SV_PACKAGING}/svclient.svg VERBATIM)
  list(APPEND icons ${png})
  install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

# Manual pages, compressed as Debian installs them.
set(manpages)
foreach(page svclient.1 svptool.1)
  set(gz ${CMAKE_BINARY_DIR}/man/${page}.gz)
  add_custom_command(OUTPUT ${gz}
                     COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
                     COMMAND gzip -9n -c ${SV_PACKAGING}/${page} > ${gz}
                     DEPENDS ${SV_PACKAGING}/${page})
  list(APPEND manpages ${gz})
  install(FILES ${gz} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
add_custom_target(package_data ALL DEPENDS ${icons} ${manpages})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME svclient)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "VX4400 client developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "client for the VX4400 sound-velocity profiler")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "The desktop client of the VX4400 sound-velocity profiler: live casts recorded into profile\n"
       "files, the probe's stored casts uploaded, profiles shown as a table and a chart against depth,\n"
       "merged and averaged, exported for survey software (HYPACK, CARIS, Kongsberg) and printed.\n"
       "svptool does the same work on the command line.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "VX4400 client developers <svclient@localhost>")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the programs link, as dpkg-shlibdeps finds them, and the Qt
# platform plugins they load at run time (xcb, offscreen), which it cannot see.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# Chinese captions need a CJK font, and Qt's own buttons and dialogs speak
# Chinese through Qt's translations; the MIME types and the icon caches are
# brought up to date by these packages' triggers when they are there. The
# English texts are inside the program.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "fonts-noto-cjk, qt6-translations-l10n, shared-mime-info, desktop-file-utils, hicolor-icon-theme")
include(CPack)
