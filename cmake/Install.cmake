# What `cmake --install` puts where, and the Debian package CPack makes of it.
include(GNUInstallDirs)

# The language modules are found beside the program file itself, so the program lives
# with them in a folder of its own and bin/ holds a link to it.
set(TAVIK_PROGRAM_DIR ${CMAKE_INSTALL_LIBDIR}/tavik)

install(TARGETS tavik-decode tavik-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES doc/man/tavik.1 doc/man/tavik-decode.1 doc/man/tavik-sim.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

if(TARGET tavik)
  install(TARGETS tavik RUNTIME DESTINATION ${TAVIK_PROGRAM_DIR})
  install(TARGETS tavik0407 LIBRARY DESTINATION ${TAVIK_PROGRAM_DIR})
  file(RELATIVE_PATH program_from_bin /${CMAKE_INSTALL_BINDIR} /${TAVIK_PROGRAM_DIR}/tavik)
  install(CODE "
    set(link \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/tavik\")
    file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
    file(REMOVE \"\${link}\")
    file(CREATE_LINK \"${program_from_bin}\" \"\${link}\" SYMBOLIC)
    message(STATUS \"Installing: \${link} -> ${program_from_bin}\")")
  install(FILES res/desktop/org.tavik.tavik.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES res/desktop/org.tavik.tavik.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  foreach(size 16 32 64)
    install(FILES res/icons/tavik-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME tavik.png)
  endforeach()
  install(FILES res/icons/tavik.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()

# The AppStream release and the manual pages name the version the package carries.
foreach(document res/desktop/org.tavik.tavik.metainfo.xml doc/man/tavik.1
                 doc/man/tavik-decode.1 doc/man/tavik-sim.1)
  file(READ ${CMAKE_SOURCE_DIR}/${document} text)
  string(REGEX MATCH "<release version=\"([^\"]*)\"|\"tavik ([^\"]*)\"" found "${text}")
  if(NOT "${CMAKE_MATCH_1}${CMAKE_MATCH_2}" STREQUAL PROJECT_VERSION)
    message(FATAL_ERROR "${document} names version '${CMAKE_MATCH_1}${CMAKE_MATCH_2}', "
                        "the project is ${PROJECT_VERSION}")
  endif()
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_NAME tavik)
set(CPACK_PACKAGE_VENDOR "tavik developers")
set(CPACK_PACKAGE_CONTACT "tavik developers <tavik@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "GPS receiver monitor and track recorder")
set(CPACK_PACKAGE_DESCRIPTION
    "tavik reads the NMEA 0183 stream of a GPS receiver on a serial port and shows UTC\n"
    "time, altitude, latitude/longitude and UTM northing/easting in one small window.\n"
    "It records changed positions into GPX 1.0 files and keeps the machine awake while\n"
    "the receiver is open. Includes tavik-decode and the receiver simulator tavik-sim.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded as a plugin, so shlibdeps cannot see it: the native window in Wayland sessions.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "gpsbabel")
set(CPACK_STRIP_FILES ON)
include(CPack)
