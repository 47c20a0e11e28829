# Files that belong in /etc or /lib rather than under the prefix: installed to /etc and /lib when
# the prefix is /usr (the Debian package), and under the prefix otherwise (`/usr/local/etc`,
# `~/.local/etc`), so that an install into a home needs no root. GNUInstallDirs makes the same
# choice at configure time; this one is made at install time, because `cmake --install --prefix`
# and CPack choose the prefix after configuring.
#   orvane_install_rooted(SOURCE FILE DIRECTORY etc/orvane COMPONENT encoder [RENAME NAME])
function(orvane_install_rooted)
  cmake_parse_arguments(arg "" "SOURCE;DIRECTORY;COMPONENT;RENAME" "" ${ARGN})
  get_filename_component(name "${arg_SOURCE}" NAME)
  if(arg_RENAME)
    set(name "${arg_RENAME}")
  endif()
  install(CODE "
    if(CMAKE_INSTALL_PREFIX STREQUAL \"/usr\")
      set(orvane_root \"\")
    else()
      set(orvane_root \"\${CMAKE_INSTALL_PREFIX}\")
    endif()
    file(INSTALL \"${arg_SOURCE}\" DESTINATION \"\${orvane_root}/${arg_DIRECTORY}\"
         RENAME \"${name}\")
  " COMPONENT ${arg_COMPONENT})
endfunction()
