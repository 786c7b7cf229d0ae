# The Wayland libraries and protocol descriptions the Wayland backend and its
# tests build with. Sets GLINTMOOR_WAYLAND when all of them are there
# (tools/install-deps.sh installs them; without them the program is built for
# X11 alone), and defines gm_wayland_protocol() to generate a protocol's glue
# with wayland-scanner at build time.
set(GLINTMOOR_WAYLAND OFF)
find_package(PkgConfig QUIET)
if(WIN32 OR NOT PkgConfig_FOUND)
  return()
endif()
pkg_check_modules(WAYLAND_CLIENT IMPORTED_TARGET QUIET wayland-client xkbcommon)
pkg_check_modules(WAYLAND_SERVER IMPORTED_TARGET QUIET wayland-server)
pkg_get_variable(WAYLAND_SCANNER wayland-scanner wayland_scanner)
pkg_get_variable(WAYLAND_PROTOCOLS_DIR wayland-protocols pkgdatadir)
find_package(PlasmaWaylandProtocols QUIET)
# The wlr protocols (layer shell, virtual pointer) come with Debian's
# librust-wayland-protocols-dev; its folder carries the crate's version.
file(GLOB GM_WLR_PROTOCOLS_DIRS
  /usr/share/cargo/registry/wayland-protocols-*/wlr-protocols/unstable)
list(SORT GM_WLR_PROTOCOLS_DIRS)
list(POP_BACK GM_WLR_PROTOCOLS_DIRS GM_WLR_PROTOCOLS_DIR)

set(GM_WAYLAND_XML
  xdg_shell ${WAYLAND_PROTOCOLS_DIR}/stable/xdg-shell/xdg-shell.xml
  viewporter ${WAYLAND_PROTOCOLS_DIR}/stable/viewporter/viewporter.xml
  xdg_output ${WAYLAND_PROTOCOLS_DIR}/unstable/xdg-output/xdg-output-unstable-v1.xml
  ext_idle_notify ${WAYLAND_PROTOCOLS_DIR}/staging/ext-idle-notify/ext-idle-notify-v1.xml
  kde_idle ${PLASMA_WAYLAND_PROTOCOLS_DIR}/idle.xml
  wlr_layer_shell ${GM_WLR_PROTOCOLS_DIR}/wlr-layer-shell-unstable-v1.xml
  wlr_virtual_pointer ${GM_WLR_PROTOCOLS_DIR}/wlr-virtual-pointer-unstable-v1.xml)
set(missing "")
if(NOT WAYLAND_CLIENT_FOUND OR NOT WAYLAND_SERVER_FOUND OR NOT WAYLAND_SCANNER)
  set(missing "libwayland-dev libxkbcommon-dev")
endif()
set(xml_list ${GM_WAYLAND_XML})
while(xml_list)
  list(POP_FRONT xml_list name path)
  if(NOT EXISTS "${path}")
    string(APPEND missing " ${name}")
  endif()
  set(GM_WAYLAND_XML_${name} ${path})
endwhile()
if(missing)
  message(STATUS "Wayland backend left out; missing: ${missing} (tools/install-deps.sh)")
  return()
endif()
set(GLINTMOOR_WAYLAND ON)

# gm_wayland_protocols(TARGET client|server NAME...): generates the client
# (or the server) headers and the interface code of the protocols NAME... of
# GM_WAYLAND_XML into TARGET's build folder and compiles them into TARGET,
# whose users include the headers as "NAME-client-protocol.h".
function(gm_wayland_protocols target side)
  set(dir ${CMAKE_CURRENT_BINARY_DIR}/wayland-protocols)
  foreach(name ${ARGN})
    set(xml ${GM_WAYLAND_XML_${name}})
    set(header ${dir}/${name}-${side}-protocol.h)
    set(code ${dir}/${name}-${side}-protocol.c)
    add_custom_command(OUTPUT ${header} ${code}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
      COMMAND ${WAYLAND_SCANNER} ${side}-header ${xml} ${header}
      COMMAND ${WAYLAND_SCANNER} private-code ${xml} ${code}
      DEPENDS ${xml} VERBATIM)
    target_sources(${target} PRIVATE ${header} ${code})
  endforeach()
  target_include_directories(${target} PUBLIC ${dir})
endfunction()
