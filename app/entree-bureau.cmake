# Installs the desktop entry for the user, so Cassetron appears in the application menu with its
# icon: in $XDG_DATA_HOME/applications (~/.local/share/applications by default), and a copy in
# the application folder. A staged installation (DESTDIR) writes both under DESTDIR, while the
# entry names the folder the program will finally live in.
set(dossier "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
configure_file("${CASSETRON_SOURCE}/resources/cassetron.desktop.in" "${dossier}/cassetron.desktop" @ONLY)
if(DEFINED ENV{XDG_DATA_HOME} AND NOT "$ENV{XDG_DATA_HOME}" STREQUAL "")
    set(applications "$ENV{XDG_DATA_HOME}/applications")
else()
    set(applications "$ENV{HOME}/.local/share/applications")
endif()
set(applications "$ENV{DESTDIR}${applications}")
file(MAKE_DIRECTORY "${applications}")
file(COPY_FILE "${dossier}/cassetron.desktop" "${applications}/cassetron.desktop")
message(STATUS "Entrée du menu des applications : ${applications}/cassetron.desktop")
