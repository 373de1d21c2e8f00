# Installation and the Debian package. The installed programs find their
# files from where they stand: bin/../share/tabulon/ holds the manual and the
# language file, bin/../lib/tabulon/plugins/ the plug-ins.
include(GNUInstallDirs)

if(TARGET tabulon-run)
  install(TARGETS tabulon-run RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${PROJECT_SOURCE_DIR}/docs/tabulon-run.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()
install(FILES ${PROJECT_SOURCE_DIR}/docs/tabulon.html ${PROJECT_SOURCE_DIR}/data/tabulon-ENG.lng
        DESTINATION ${CMAKE_INSTALL_DATADIR}/tabulon)
if(TARGET tabulon)
  install(TARGETS tabulon RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${PROJECT_SOURCE_DIR}/data/tabulon.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${PROJECT_SOURCE_DIR}/data/tabulon.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()
if(TARGET tabulon-sample)
  install(TARGETS tabulon-sample LIBRARY DESTINATION lib/tabulon/plugins)
endif()

set(CPACK_PACKAGE_NAME tabulon)
set(CPACK_PACKAGE_VENDOR "Tabulon")
set(CPACK_PACKAGE_CONTACT "Tabulon developers <tabulon@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "SQL console for SQLite 3 databases")
set(CPACK_PACKAGE_DESCRIPTION
    "A desktop SQL console for SQLite 3 files: a syntax-coloured editor, results as text tables, DBF, CSV, XML, HTML and JSON import and export, scripts, variables, an editable table grid, parameter dialogs, lists of values and plug-ins. tabulon-run runs the same interpreter without a window.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION database)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://localhost/tabulon")
# The engine is loaded at run time, so no linker dependency names it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libc6, libstdc++6, libqt6core6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6widgets6 (>= 6.4), libqt6printsupport6 (>= 6.4), qt6-qpa-plugins, libsqlite3-0 (>= 3.8), libutf8proc2")
set(CPACK_STRIP_FILES ON)
include(CPack)
