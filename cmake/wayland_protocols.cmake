# The Wayland protocols tolva speaks beyond the core one, as C code that wayland-scanner
# generates at build time from the XML Debian ships: xdg-shell, viewporter, fractional-scale
# and xdg-decoration from wayland-protocols, and wlr-layer-shell (and, for the tests,
# wlr-virtual-pointer) from the copy of the wlr protocols inside librust-wayland-protocols-dev,
# the only Debian 12 package that carries them. Sets TOLVA_WAYLAND_FOUND and
# TOLVA_LAYER_SHELL_FOUND, and defines tolva_wayland_protocols(TARGET NAME...), a static library
# of the generated code of the protocols named (xdg-shell, viewporter, fractional-scale-v1,
# xdg-decoration-unstable-v1, wlr-layer-shell-unstable-v1, wlr-virtual-pointer-unstable-v1).
set(TOLVA_WAYLAND_FOUND FALSE)
set(TOLVA_LAYER_SHELL_FOUND FALSE)
find_package(PkgConfig QUIET)
if(NOT PkgConfig_FOUND)
  return()
endif()
pkg_check_modules(TOLVA_WAYLAND_CLIENT QUIET IMPORTED_TARGET GLOBAL wayland-client)
pkg_check_modules(TOLVA_WAYLAND_PROTOCOLS QUIET wayland-protocols)
pkg_check_modules(TOLVA_WAYLAND_SCANNER QUIET wayland-scanner)
if(NOT TOLVA_WAYLAND_CLIENT_FOUND OR NOT TOLVA_WAYLAND_PROTOCOLS_FOUND OR
   NOT TOLVA_WAYLAND_SCANNER_FOUND)
  return()
endif()
pkg_get_variable(tolvaWaylandScanner wayland-scanner wayland_scanner)
pkg_get_variable(tolvaWaylandProtocolsDir wayland-protocols pkgdatadir)
set(TOLVA_WAYLAND_FOUND TRUE)

file(GLOB tolvaWlrCandidates
     /usr/share/cargo/registry/wayland-protocols-*/wlr-protocols/unstable/wlr-layer-shell-unstable-v1.xml)
list(SORT tolvaWlrCandidates COMPARE NATURAL ORDER DESCENDING)
set(tolvaWlrDefault "")
if(tolvaWlrCandidates)
  list(GET tolvaWlrCandidates 0 tolvaWlrNewest)
  get_filename_component(tolvaWlrDefault ${tolvaWlrNewest} DIRECTORY)
endif()
set(TOLVA_WLR_PROTOCOLS_DIR "${tolvaWlrDefault}" CACHE PATH
    "The folder of wlr-layer-shell-unstable-v1.xml (Debian: inside librust-wayland-protocols-dev)")
if(EXISTS "${TOLVA_WLR_PROTOCOLS_DIR}/wlr-layer-shell-unstable-v1.xml")
  set(TOLVA_LAYER_SHELL_FOUND TRUE)
endif()

function(tolva_wayland_protocols target)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/wayland-protocols)
  set(sources)
  foreach(name ${ARGN})
    if(name STREQUAL "xdg-shell" OR name STREQUAL "viewporter")
      set(xml ${tolvaWaylandProtocolsDir}/stable/${name}/${name}.xml)
    elseif(name STREQUAL "fractional-scale-v1")
      set(xml ${tolvaWaylandProtocolsDir}/staging/fractional-scale/${name}.xml)
    elseif(name STREQUAL "xdg-decoration-unstable-v1")
      set(xml ${tolvaWaylandProtocolsDir}/unstable/xdg-decoration/${name}.xml)
    else()
      set(xml ${TOLVA_WLR_PROTOCOLS_DIR}/${name}.xml)
    endif()
    add_custom_command(OUTPUT ${out}/${name}-client-protocol.h ${out}/${name}-protocol.c
      COMMAND ${CMAKE_COMMAND} -E make_directory ${out}
      COMMAND ${tolvaWaylandScanner} client-header ${xml} ${out}/${name}-client-protocol.h
      COMMAND ${tolvaWaylandScanner} private-code ${xml} ${out}/${name}-protocol.c
      DEPENDS ${xml} VERBATIM)
    list(APPEND sources ${out}/${name}-client-protocol.h ${out}/${name}-protocol.c)
  endforeach()
  add_library(${target} STATIC ${sources})
  target_include_directories(${target} PUBLIC ${out})
  target_link_libraries(${target} PUBLIC PkgConfig::TOLVA_WAYLAND_CLIENT)
endfunction()
