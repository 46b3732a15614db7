# What `cmake --install` puts in place: both programs, the desktop entry, the icon at the desktop's
# usual sizes, the AppStream metainfo, the manual pages and the package's documents.
include(GNUInstallDirs)

# The name the desktop entry and the metainfo go by, and that of the icon in the theme.
set(GEAR_APP_ID org.example.GearMonitor)
set(GEAR_ICON_NAME gear-monitor)
set(GEAR_PROJECT_URL "https://gear-monitor.example.org" CACHE STRING
    "Where the project is published; the metainfo's screenshot is docs/window-live.png under it")
set(GEAR_MAINTAINER
    "The Landing Gear Controller Monitor developers <maintainers@gear-monitor.example.org>")
set(GEAR_DATA_DIR ${CMAKE_CURRENT_SOURCE_DIR}/data)
set(GEAR_DATA_OUT ${CMAKE_CURRENT_BINARY_DIR}/data)
set(GEAR_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/gear-monitor)

install(TARGETS gear-monitor gear-sim gear-log RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

install(FILES ${GEAR_DATA_DIR}/gear-monitor.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications RENAME ${GEAR_APP_ID}.desktop)
configure_file(${GEAR_DATA_DIR}/gear-monitor.metainfo.xml.in
    ${GEAR_DATA_OUT}/${GEAR_APP_ID}.metainfo.xml @ONLY)
install(FILES ${GEAR_DATA_OUT}/${GEAR_APP_ID}.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The icon, drawn by the same code as the one built into the program.
set(GEAR_HICOLOR ${GEAR_DATA_OUT}/hicolor)
add_custom_command(OUTPUT ${GEAR_HICOLOR}/256x256/apps/${GEAR_ICON_NAME}.png
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
        $<TARGET_FILE:make-icon> --hicolor ${GEAR_HICOLOR} ${GEAR_ICON_NAME}
    DEPENDS make-icon
    COMMENT "Drawing the icon for the desktop's theme")
install(DIRECTORY ${GEAR_HICOLOR} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)

# Manual pages and the changelog, compressed as Debian policy asks (gzip -9, no time stamp).
set(GEAR_COMPRESSED)
function(gear_gzip source output)
    add_custom_command(OUTPUT ${output}
        COMMAND gzip -9nc ${source} > ${output}
        DEPENDS ${source}
        COMMENT "Compressing ${output}")
    set(GEAR_COMPRESSED ${GEAR_COMPRESSED} ${output} PARENT_SCOPE)
endfunction()
foreach(page gear-monitor gear-sim gear-log)
    configure_file(${GEAR_DATA_DIR}/${page}.1.in ${GEAR_DATA_OUT}/${page}.1 @ONLY)
    gear_gzip(${GEAR_DATA_OUT}/${page}.1 ${GEAR_DATA_OUT}/${page}.1.gz)
    install(FILES ${GEAR_DATA_OUT}/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
# The changelog's entry is dated at noon of the release day, in the form Debian asks for.
execute_process(COMMAND date -R -u -d ${GEAR_RELEASE_DATE}T12:00:00Z
    OUTPUT_VARIABLE GEAR_CHANGELOG_DATE OUTPUT_STRIP_TRAILING_WHITESPACE)
configure_file(${GEAR_DATA_DIR}/changelog.in ${GEAR_DATA_OUT}/changelog @ONLY)
gear_gzip(${GEAR_DATA_OUT}/changelog ${GEAR_DATA_OUT}/changelog.gz)
install(FILES ${GEAR_DATA_OUT}/changelog.gz ${GEAR_DATA_DIR}/copyright
    DESTINATION ${GEAR_DOC_DIR})

add_custom_target(gear-install-data ALL
    DEPENDS ${GEAR_HICOLOR}/256x256/apps/${GEAR_ICON_NAME}.png ${GEAR_COMPRESSED})

# The running window names its desktop entry, so the desktop shows the entry's icon and name.
target_compile_definitions(gear-monitor PRIVATE GEAR_DESKTOP_ID="${GEAR_APP_ID}")
