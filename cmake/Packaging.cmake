# The Debian package: everything the install rules put in place, under /usr.
# Its dependencies are read off the installed binaries by dpkg-shlibdeps; the
# desktop entry (mail-link handler) and the icon are registered by the
# desktop-file and icon-cache triggers that Debian runs for every package.
set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "korvalin")
set(CPACK_PACKAGE_VENDOR "Dravnek")
set(CPACK_PACKAGE_CONTACT "Korvalin Mail developers <korvalin@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Mail checker and mail client for POP3, IMAP and web-mail accounts")
set(CPACK_PACKAGE_DESCRIPTION
  "Korvalin Mail logs into every configured account from one window and a tray icon, checks its folders on a timer, announces new mail, and reads, writes, filters and deletes mail.")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME "DEB-DEFAULT")
set(CPACK_DEBIAN_PACKAGE_SECTION "mail")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
# Plug-ins are found beside the program, not on the library path.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS "${CMAKE_BINARY_DIR}/bin")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "gnome-keyring | kwalletmanager, ca-certificates")
include(CPack)
