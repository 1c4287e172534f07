# Install rules of the system layout (GEARBOOK_SYSTEM_LAYOUT), which the Debian
# package uses: the shared files under the prefix (/usr), nothing per user. Each
# user's program folder, with the login files and links to the help page, is made
# by the `gearbook` command on that user's first start.
include(GNUInstallDirs)

# Not CMAKE_INSTALL_LIBDIR: Debian sets that to the multiarch folder of public
# libraries, and these are one program's own files.
set(GEARBOOK_PROGRAM_DIR "lib/gearbook")
set(GEARBOOK_HELP_DIR "${CMAKE_INSTALL_DATADIR}/gearbook")
set(GEARBOOK_FULL_PROGRAM_DIR "${CMAKE_INSTALL_PREFIX}/${GEARBOOK_PROGRAM_DIR}")
set(GEARBOOK_FULL_HELP_DIR "${CMAKE_INSTALL_PREFIX}/${GEARBOOK_HELP_DIR}")

# The programs, the login tool and the modules, which Gearbook loads from its own folder.
install(TARGETS Gearbook Linksmith gearbook_credentials RUNTIME DESTINATION "${GEARBOOK_PROGRAM_DIR}")
install(TARGETS gearbook_browser gearbook_printer LIBRARY DESTINATION "${GEARBOOK_PROGRAM_DIR}")
# The help page and its pictures, linked into each user's program folder.
install(FILES ReadMe.htm ${PROJECT_SOURCE_DIR}/docs/due-maintenance.png ${PROJECT_SOURCE_DIR}/docs/report.png
              ${PROJECT_SOURCE_DIR}/docs/reminder.png
        ${PROJECT_SOURCE_DIR}/docs/import-mapping.png
        DESTINATION "${GEARBOOK_HELP_DIR}")

# The `gearbook` command: the source install's, with the first-start steps in
# place of finding the program folder beside it, so both handle arguments alike.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS gearbook gearbook-first-start.sh.in)
file(READ gearbook gearbook_command)
configure_file(gearbook-first-start.sh.in gearbook-first-start.sh @ONLY)
file(READ ${CMAKE_CURRENT_BINARY_DIR}/gearbook-first-start.sh gearbook_first_start)
function(gearbook_replace_line from to)
    string(FIND "${gearbook_command}" "${from}\n" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "install/gearbook no longer has the line: ${from}")
    endif()
    string(REPLACE "${from}\n" "${to}" gearbook_command "${gearbook_command}")
    set(gearbook_command "${gearbook_command}" PARENT_SCOPE)
endfunction()
# (Its note on finding the program folder beside it does not hold here.)
string(REGEX REPLACE "# The program folder is found from where this command is[^\n]*\n#[^\n]*\n" ""
       gearbook_command "${gearbook_command}")
gearbook_replace_line([[here=$(dirname "$(readlink -f "$0")") || exit 1]] "")
gearbook_replace_line([[folder="$here/../Venbry Software/Gearbook"]] "${gearbook_first_start}")
gearbook_replace_line([[exec ./Gearbook "$@"]] "exec \"${GEARBOOK_FULL_PROGRAM_DIR}/Gearbook\" \"$@\"\n")
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/system/gearbook "${gearbook_command}")
install(PROGRAMS ${CMAKE_CURRENT_BINARY_DIR}/system/gearbook DESTINATION "${CMAKE_INSTALL_BINDIR}")
# Linksmith needs no folder of its own: the command is a link to it.
file(RELATIVE_PATH gearbook_linksmith_link "${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}"
     "${GEARBOOK_FULL_PROGRAM_DIR}/Linksmith")
file(CREATE_LINK "${gearbook_linksmith_link}" ${CMAKE_CURRENT_BINARY_DIR}/system/linksmith SYMBOLIC)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/system/linksmith DESTINATION "${CMAKE_INSTALL_BINDIR}")

# The menu entries start the two commands, found on PATH, in no folder of their own.
foreach(entry "gearbook;${GEARBOOK_APP_ID};gearbook" "linksmith;${LINKSMITH_APP_ID};linksmith")
    list(GET entry 0 template)
    list(GET entry 1 id)
    list(GET entry 2 GEARBOOK_EXEC)
    set(LINKSMITH_EXEC "${GEARBOOK_EXEC}")
    configure_file(${template}.desktop.in ${CMAKE_CURRENT_BINARY_DIR}/system/${id}.desktop.in @ONLY)
    file(READ ${CMAKE_CURRENT_BINARY_DIR}/system/${id}.desktop.in gearbook_entry)
    string(REGEX REPLACE "\nPath=[^\n]*" "" gearbook_entry "${gearbook_entry}")
    file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/system/${id}.desktop "${gearbook_entry}")
    install(FILES ${CMAKE_CURRENT_BINARY_DIR}/system/${id}.desktop DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
endforeach()
foreach(size 16 32 48 64 128 256)
    install(FILES icons/gearbook-${size}.png DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps"
            RENAME ${GEARBOOK_APP_ID}.png)
endforeach()
install(FILES gearbook.svg DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps"
        RENAME ${GEARBOOK_APP_ID}.svg)
configure_file(gearbook.metainfo.xml.in ${GEARBOOK_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${GEARBOOK_APP_ID}.metainfo.xml DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo")

# One manual page for each command as it is typed (the package compresses them).
install(FILES ${GEARBOOK_MAN_PAGE} DESTINATION "${CMAKE_INSTALL_MANDIR}/man1" RENAME gearbook.1)
install(FILES man/Linksmith.1 DESTINATION "${CMAKE_INSTALL_MANDIR}/man1" RENAME linksmith.1)
install(FILES man/gearbook_credentials.1 DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
