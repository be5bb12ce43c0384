# Installation and packages.
#
# The program looks for SII_Decrypt.exe and languages/ in its own folder, so everything it runs
# beside it is installed into one folder: <prefix>/lib/kestrovan on Linux, with links in
# <prefix>/bin (the program resolves the link to find its folder), and the install folder itself
# on Windows. Installed there, the folder is read-only for players; the program then keeps its
# settings, history and learnt distances in the user's data folder.

if(WIN32)
  set(KVN_INSTALL_APPDIR ".")
else()
  set(KVN_INSTALL_APPDIR "lib/kestrovan")
endif()

install(TARGETS kestrovan kestrovan-cli SII_Decrypt RUNTIME DESTINATION ${KVN_INSTALL_APPDIR})
# The help image opens this page beside the program.
install(FILES ${PROJECT_SOURCE_DIR}/docs/help.html DESTINATION ${KVN_INSTALL_APPDIR})
# The compiled city positions come under the MIT licence, whose notice goes with the program.
install(FILES ${PROJECT_SOURCE_DIR}/tools/catalogue/sources/city-positions-LICENSE.txt DESTINATION ${KVN_INSTALL_APPDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/languages/ DESTINATION ${KVN_INSTALL_APPDIR}/languages
        FILES_MATCHING PATTERN "*.lang")

if(UNIX AND NOT APPLE)
  foreach(program kestrovan kestrovan-cli)
    install(CODE "
      set(link \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin/${program}\")
      file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin\")
      file(REMOVE \"\${link}\")
      file(CREATE_LINK \"../${KVN_INSTALL_APPDIR}/${program}\" \"\${link}\" SYMBOLIC)
      message(STATUS \"Installing: \${link} -> ../${KVN_INSTALL_APPDIR}/${program}\")")
  endforeach()
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/kestrovan.desktop DESTINATION share/applications)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/kestrovan.svg
          DESTINATION share/icons/hicolor/scalable/apps)
endif()

set(CPACK_PACKAGE_NAME "kestrovan")
set(CPACK_PACKAGE_VENDOR "Kestrovan")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Compose the delivery jobs of a Euro Truck Simulator 2 quick-save")
set(CPACK_PACKAGE_DESCRIPTION
    "Kestrovan rewrites job offers in a profile's quick-save (game.sii) so that the game offers the jobs the "
    "player composed: departure and destination, cargo and trailer, urgency and amount, or a random job. "
    "Every save is backed up before it is written.")
set(CPACK_PACKAGE_CONTACT "Kestrovan developers <kestrovan@localhost>")
set(CPACK_PACKAGE_INSTALL_DIRECTORY "Kestrovan")
set(CPACK_STRIP_FILES ON)

if(WIN32)
  set(CPACK_GENERATOR "ZIP")
else()
  set(CPACK_GENERATOR "DEB")
  set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION "games")
  # dpkg-shlibdeps finds the libraries the programs link (Qt, OpenSSL, zlib); the X11 platform
  # plugin comes with Qt's GUI library, the Wayland one does not.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland, fonts-liberation2")
endif()

include(CPack)
