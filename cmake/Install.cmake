# What `cmake --install` puts where, and the Debian package CPack makes of it.
include(GNUInstallDirs)

# The language modules are found beside the program file itself, so the program lives
# with them in a folder of its own and bin/ holds a link to it. The folder is below
# libexec/, not lib/: the modules are no libraries for the dynamic linker's cache.
set(TAVIK_PROGRAM_DIR ${CMAKE_INSTALL_LIBEXECDIR}/tavik)

install(TARGETS tavik-decode tavik-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# Manual pages and the changelog are installed compressed as Debian wants them: gzip -9n,
# which leaves out the file's name and time, so the same sources give the same package.
find_program(GZIP_PROGRAM gzip REQUIRED)
set(compressed_docs)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/compressed)
foreach(source doc/man/tavik.1 doc/man/tavik-decode.1 doc/man/tavik-sim.1 cmake/debian/changelog)
  get_filename_component(name ${source} NAME)
  set(compressed ${CMAKE_BINARY_DIR}/compressed/${name}.gz)
  add_custom_command(OUTPUT ${compressed}
    COMMAND ${GZIP_PROGRAM} -9n -c ${CMAKE_SOURCE_DIR}/${source} > ${compressed}
    DEPENDS ${CMAKE_SOURCE_DIR}/${source} VERBATIM)
  list(APPEND compressed_docs ${compressed})
endforeach()
add_custom_target(tavik_compressed_docs ALL DEPENDS ${compressed_docs})
list(FILTER compressed_docs INCLUDE REGEX "\\.1\\.gz$")
install(FILES ${compressed_docs} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
file(STRINGS cmake/debian/changelog changelog_top LIMIT_COUNT 1)
if(NOT changelog_top MATCHES "^tavik \\(${PROJECT_VERSION}\\) ")
  message(WARNING "cmake/debian/changelog has no entry for ${PROJECT_VERSION} yet: add one on top")
endif()
install(FILES ${CMAKE_BINARY_DIR}/compressed/changelog.gz cmake/debian/copyright
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

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
# A placeholder in a reserved domain (RFC 2606): whoever publishes packages gives their own.
set(TAVIK_PACKAGE_MAINTAINER "tavik developers <tavik@example.org>"
    CACHE STRING "Name and mail address of the Debian package's maintainer")
set(CPACK_PACKAGE_CONTACT "${TAVIK_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "GPS receiver monitor and track recorder")
# Lines of the long description stay under 80 columns (they are shown indented by one).
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "tavik reads the NMEA 0183 stream of a GPS receiver on a serial port and\n"
    "shows UTC time, altitude, latitude/longitude and UTM northing/easting in\n"
    "one small window. It records changed positions into GPX 1.0 files and\n"
    "keeps the machine awake while the receiver is open. Includes tavik-decode\n"
    "and the receiver simulator tavik-sim.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded as a plugin, so shlibdeps cannot see it: the native window in Wayland sessions.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-wayland")
# Qt's own German texts (the file dialog's buttons, the Yes/No of the quit question).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "gpsbabel")
set(CPACK_STRIP_FILES ON)
# The compilers' .comment section goes too, as Debian's own stripping drops it.
set(CPACK_TAVIK_OBJCOPY "${CMAKE_OBJCOPY}")
set(CPACK_PRE_BUILD_SCRIPTS "${CMAKE_CURRENT_LIST_DIR}/debian/drop_comments.cmake")
include(CPack)
