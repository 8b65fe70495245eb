# What `cmake --install` puts on a desktop beside the program, and the Debian
# package CPack builds from it (scripts/package). The program carries its own
# resources (Qt's resource system), so nothing else is looked up at run time.
include(GNUInstallDirs)

# The date of the release named by the project's version.
set(PONDRA_RELEASE_DATE 2026-12-10)

install(TARGETS pondra RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The icon at the icon theme's usual sizes, scaled from the one source image.
add_executable(pondra_icon_sizes ${PROJECT_SOURCE_DIR}/tools/IconSizes.cpp)
target_link_libraries(pondra_icon_sizes PRIVATE Qt6::Gui)
set(icon_sizes 16 22 24 32 48 64 128 256)
set(icon_folder ${CMAKE_BINARY_DIR}/icons/hicolor)
set(icon_files)
foreach(size IN LISTS icon_sizes)
    list(APPEND icon_files ${icon_folder}/${size}x${size}/apps/${PONDRA_APP_ID}.png)
endforeach()
add_custom_command(OUTPUT ${icon_files}
    COMMAND pondra_icon_sizes ${PROJECT_SOURCE_DIR}/resources/Pondra.png ${PONDRA_APP_ID}
        ${icon_folder} ${icon_sizes}
    DEPENDS pondra_icon_sizes ${PROJECT_SOURCE_DIR}/resources/Pondra.png
    COMMENT "Scaling the icon to the icon theme's sizes"
    VERBATIM)
add_custom_target(pondra_icons ALL DEPENDS ${icon_files})
install(DIRECTORY ${icon_folder} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)

configure_file(${PROJECT_SOURCE_DIR}/resources/${PONDRA_APP_ID}.metainfo.xml.in
    ${CMAKE_BINARY_DIR}/${PONDRA_APP_ID}.metainfo.xml @ONLY)
install(FILES ${PROJECT_SOURCE_DIR}/resources/${PONDRA_APP_ID}.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_BINARY_DIR}/${PONDRA_APP_ID}.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pondra)
set(CPACK_PACKAGE_VENDOR Brenmoor)
set(CPACK_PACKAGE_CONTACT "Brenmoor <support@brenmoor.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "cart player for running the sound of a show")
# The long description under the summary line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Pondra fires recorded sound from a grid of buttons, each holding one sound
with its playback settings, by a click, a hot key or a MIDI note. Sound
leaves through ALSA, PipeWire or a JACK server.")
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
# The libraries it links come from dpkg-shlibdeps; beside them it needs Qt's
# X11 platform plugin to show a window and the font its windows are drawn in.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-dejavu-core")
include(CPack)
