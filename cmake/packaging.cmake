# Installation (cmake --install) and the Debian package (cpack).
#
# Layout under the prefix: the window and the companion in bin/, the spare
# copies of the empty tables and the help file in share/vellumark/ (where the
# program looks for them beside ../bin, see app/program_folder.h), the desktop
# entry in share/applications/ and its icon in share/icons/hicolor/.
include(GNUInstallDirs)

set(VELLUMARK_SHARE_DIR ${CMAKE_INSTALL_DATADIR}/vellumark)

foreach(program vellumark vellumark-cli)
    if(TARGET ${program})
        install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
        # A program runs from the build tree beside the spare copies.
        if(TARGET spare_copies)
            add_dependencies(${program} spare_copies)
        endif()
    endif()
endforeach()

install(FILES
    ${VELLUMARK_PROGRAM_DIR}/Keys.xx1
    ${VELLUMARK_PROGRAM_DIR}/Keys.xx2
    ${VELLUMARK_PROGRAM_DIR}/Text.xx1
    ${VELLUMARK_PROGRAM_DIR}/Text.xx2
    ${VELLUMARK_PROGRAM_DIR}/Text.xx3
    ${PROJECT_SOURCE_DIR}/help/vellumark.hlp
    DESTINATION ${VELLUMARK_SHARE_DIR})

if(TARGET vellumark)
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/vellumark.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/vellumark.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vellumark)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Vellumark")
set(CPACK_PACKAGE_CONTACT "Vellumark maintainers <maintainers@vellumark.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "keeps text documents and finds them again by their words")
set(CPACK_PACKAGE_DESCRIPTION "Vellumark stores texts as documents in two xBase tables and finds them by
their words, with drawers, header-only searches and provisional deletion.
The package holds the desktop program and its command-line companion
vellumark-cli.")
set(CPACK_DEBIAN_PACKAGE_SECTION text)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# The shared libraries the programs link (Qt 6, the C++ runtime) become
# dependencies; Qt's platform plugins are loaded at run time, so they are named.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
include(CPack)
