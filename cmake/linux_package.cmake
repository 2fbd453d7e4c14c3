# Installing TOLVA on Linux (cmake --install) and packing it for Debian (cpack -G DEB): tolva
# where XScreenSaver looks for hacks, with a link in bin for starting it by hand (and on
# Wayland), its settings file for xscreensaver-settings, tolva-render, the man pages, a desktop
# entry, the AppStream metainfo that software centres read, and an icon. For native Linux
# builds only; the Windows builds pack the saver on their own.
include(GNUInstallDirs)

set(TOLVA_XSCREENSAVER_HACK_DIR "${CMAKE_INSTALL_LIBEXECDIR}/xscreensaver" CACHE STRING
    "Where XScreenSaver looks for hacks, relative to the prefix or absolute (Debian's: /usr/libexec/xscreensaver)")
set(TOLVA_XSCREENSAVER_CONFIG_DIR "${CMAKE_INSTALL_DATADIR}/xscreensaver/config" CACHE STRING
    "Where xscreensaver-settings reads the hacks' settings, relative to the prefix or absolute")
set(TOLVA_PACKAGE_CONTACT "TOLVA developers <tolva@users.noreply.github.com>" CACHE STRING
    "The Debian package's maintainer")

set(linuxFiles ${CMAKE_BINARY_DIR}/linux)
set(builtFiles)

# Debian ships man pages compressed; gzip -n leaves out the time, so every build gives the same
# bytes.
function(tolva_man_page source)
  get_filename_component(name ${source} NAME_WLE)
  get_filename_component(section ${source} LAST_EXT)
  string(SUBSTRING ${section} 1 -1 section)
  set(compressed ${linuxFiles}/${name}.${section}.gz)
  add_custom_command(OUTPUT ${compressed}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${linuxFiles}
    COMMAND gzip -9 -n -c ${PROJECT_SOURCE_DIR}/${source} > ${compressed}
    DEPENDS ${PROJECT_SOURCE_DIR}/${source} VERBATIM)
  install(FILES ${compressed} DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
  set(builtFiles ${builtFiles} ${compressed} PARENT_SCOPE)
endfunction()

install(TARGETS tolva-render RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# What Debian asks of every package's documentation folder: the copyright and the changelog.
set(changelog ${linuxFiles}/changelog.gz)
add_custom_command(OUTPUT ${changelog}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${linuxFiles}
  COMMAND gzip -9 -n -c ${PROJECT_SOURCE_DIR}/hosts/linux/debian/changelog > ${changelog}
  DEPENDS ${PROJECT_SOURCE_DIR}/hosts/linux/debian/changelog VERBATIM)
list(APPEND builtFiles ${changelog})
install(FILES hosts/linux/debian/copyright ${changelog}
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/tolva)
tolva_man_page(hosts/render/tolva-render.1)

if(TARGET tolva)
  install(TARGETS tolva RUNTIME DESTINATION ${TOLVA_XSCREENSAVER_HACK_DIR})
  install(FILES hosts/linux/tolva.xml DESTINATION ${TOLVA_XSCREENSAVER_CONFIG_DIR})
  install(FILES hosts/linux/tolva.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES hosts/linux/io.github.tolva.tolva.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  tolva_man_page(hosts/linux/tolva.6)
  # The link is made at install time, under the prefix the install (or CPack) really uses.
  install(CODE "
    set(hackDir \"${TOLVA_XSCREENSAVER_HACK_DIR}\")
    if(NOT IS_ABSOLUTE \"\${hackDir}\")
      set(hackDir \"\${CMAKE_INSTALL_PREFIX}/\${hackDir}\")
    endif()
    set(binDir \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
    file(RELATIVE_PATH linkTarget \"\${binDir}\" \"\${hackDir}/tolva\")
    file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${binDir}\")
    message(STATUS \"Installing: \$ENV{DESTDIR}\${binDir}/tolva -> \${linkTarget}\")
    file(CREATE_LINK \"\${linkTarget}\" \"\$ENV{DESTDIR}\${binDir}/tolva\" SYMBOLIC)")

  # The icon is a frame of the animation itself, drawn by tolva-render (as PNG, where it can).
  find_package(PNG QUIET)
  if(PNG_FOUND)
    set(iconFrame ${linuxFiles}/icon/frame_000400.png)
    add_custom_command(OUTPUT ${iconFrame}
      COMMAND tolva-render --size 256x256 --count 25 --color 8 --frames 401 --every 400
              --out ${linuxFiles}/icon --format png
      DEPENDS tolva-render VERBATIM)
    install(FILES ${iconFrame} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps
            RENAME tolva.png)
    list(APPEND builtFiles ${iconFrame})
  else()
    message(STATUS "tolva's icon not built: tolva-render cannot write PNG (libpng-dev)")
  endif()
endif()
add_custom_target(tolva_linux_files ALL DEPENDS ${builtFiles})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tolva)
set(CPACK_PACKAGE_VENDOR TOLVA)
set(CPACK_PACKAGE_CONTACT "${TOLVA_PACKAGE_CONTACT}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://github.com/tolva/tolva" CACHE STRING
    "The Debian package's Homepage")
# dpkg-shlibdeps (dpkg-dev) names the libraries the programs link, as Debian's own packages do.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS xscreensaver)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "glowing comet-like trails: XScreenSaver hack, Wayland saver and viewer")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Glowing, comet-like trails curl through a three-dimensional space on a
black screen; where they cross they brighten toward white.

tolva is an XScreenSaver hack, which xscreensaver-settings offers once it
is added to the programs: list of ~/.xscreensaver, and a viewer that shows
the animation in a window or full screen. On Wayland it draws natively:
full screen on every output, started by an idle daemon such as swayidle,
or as a moving wallpaper behind the windows. tolva-render draws the same
frames without a display, as image files or hashes.")
include(CPack)
