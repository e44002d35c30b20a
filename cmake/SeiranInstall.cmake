# Installation: the program, its commands and libraries, the standard lists and the manual in
# <prefix>/lib/seiran/ (the program finds its lists and manual beside its executable, as in the
# build tree), launchers in <prefix>/bin, a desktop entry and an icon; the Debian package is made
# from the same rules by CPack.
#
# Whether the layer libraries are shared or static is the build's choice: whichever seiran_*
# library is shared goes beside the executables, which find it there through RPATH $ORIGIN.

set(SEIRAN_INSTALL_DIR lib/seiran)
set(SEIRAN_PROGRAMS seiran seiran-report seiran-entry seiran-promote seiran-grade seiran-sample)

# Every seiran_* library target of the source folders, to install the shared ones.
function(seiran_collect_libraries out)
    set(found)
    set(folders ${CMAKE_SOURCE_DIR})
    while(folders)
        list(POP_FRONT folders folder)
        get_property(subfolders DIRECTORY ${folder} PROPERTY SUBDIRECTORIES)
        list(APPEND folders ${subfolders})
        get_property(targets DIRECTORY ${folder} PROPERTY BUILDSYSTEM_TARGETS)
        foreach(t IN LISTS targets)
            get_target_property(type ${t} TYPE)
            if(t MATCHES "^seiran_" AND type STREQUAL "SHARED_LIBRARY")
                list(APPEND found ${t})
            endif()
        endforeach()
    endwhile()
    set(${out} ${found} PARENT_SCOPE)
endfunction()

seiran_collect_libraries(SEIRAN_SHARED_LIBRARIES)
set(SEIRAN_INSTALLED_TARGETS)
foreach(t IN LISTS SEIRAN_PROGRAMS SEIRAN_SHARED_LIBRARIES)
    if(TARGET ${t})
        list(APPEND SEIRAN_INSTALLED_TARGETS ${t})
        set_target_properties(${t} PROPERTIES INSTALL_RPATH "$ORIGIN")
    endif()
endforeach()
# What an installation needs built (./run.sh --package builds this before CPack).
add_custom_target(seiran_installable)
add_dependencies(seiran_installable ${SEIRAN_INSTALLED_TARGETS} seiran_stdfiles)
install(TARGETS ${SEIRAN_INSTALLED_TARGETS}
    RUNTIME DESTINATION ${SEIRAN_INSTALL_DIR}
    LIBRARY DESTINATION ${SEIRAN_INSTALL_DIR} NAMELINK_SKIP)

# The standard lists, the sample settings file and the manual, as the build copies them.
seiran_glob(SEIRAN_INSTALL_STDFILES ${CMAKE_SOURCE_DIR}/stdfiles/*.seq ${CMAKE_SOURCE_DIR}/stdfiles/*.ini)
install(FILES ${SEIRAN_INSTALL_STDFILES} DESTINATION ${SEIRAN_INSTALL_DIR})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/help/ DESTINATION ${SEIRAN_INSTALL_DIR}/help)

# Launchers: links to the executables, so that each still finds its folder (the toolkit reads
# the program's own path through the link).
set(SEIRAN_LAUNCHER_DIR ${CMAKE_BINARY_DIR}/launchers)
file(MAKE_DIRECTORY ${SEIRAN_LAUNCHER_DIR})
foreach(p IN LISTS SEIRAN_PROGRAMS)
    file(CREATE_LINK ../${SEIRAN_INSTALL_DIR}/${p} ${SEIRAN_LAUNCHER_DIR}/${p} SYMBOLIC)
    install(FILES ${SEIRAN_LAUNCHER_DIR}/${p} DESTINATION bin)
endforeach()

install(FILES ${CMAKE_SOURCE_DIR}/app/seiran.desktop DESTINATION share/applications)
install(FILES ${CMAKE_SOURCE_DIR}/app/seiran.svg DESTINATION share/icons/hicolor/scalable/apps)

# The Debian package: seiran_<version>_amd64.deb, needing the Debian packages the program uses.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME seiran)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Seiran")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Grade processing for junior high schools (せいらん)")
set(CPACK_PACKAGE_DESCRIPTION "せいらん — 中学校総合成績処理. Rosters, score entry, reports, evaluation and career guidance lists for one grade of a Japanese junior high school.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Seiran developers <seiran@localhost>")
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libc6, libstdc++6, libqt6core6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6widgets6 (>= 6.4), libqt6printsupport6 (>= 6.4), qt6-qpa-plugins, fonts-ipafont-mincho, fonts-ipafont-gothic")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, cups-client, poppler-utils")
if(SEIRAN_SANITIZE)
    # A test build's package carries the sanitizer runtime's dependency too.
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "${CPACK_DEBIAN_PACKAGE_DEPENDS}, libasan8, libubsan1")
endif()
include(CPack)
