# gearbook_room(<target> <room>)
# Makes <target> a library of the room src/<room>. Its headers are included by
# the room's name ("common/FileClaims.h"), and only by the targets that link
# it: each room's include folder holds that room alone (a link to src/<room>
# under <build>/rooms/<room>/), so a library that includes a room it does not
# link does not compile. A library links a room PUBLIC only where its own
# headers include that room; everything else it links PRIVATE.
#
# The order in which rooms are made is the order of the floors, from the
# bottom: a room may link only rooms made before it. gearbook_check_floors()
# holds every room to that at the end of the configuration, so no arrow points
# up and no two rooms can use each other.
function(gearbook_room target room)
    set(root ${CMAKE_BINARY_DIR}/rooms/${room})
    string(REGEX REPLACE "/[^/]*$" "" parent "${root}/${room}")
    file(MAKE_DIRECTORY ${parent})
    # A build folder copied or kept across a moved tree must not read another tree's headers.
    set(link ${root}/${room})
    if(IS_SYMLINK ${link})
        file(READ_SYMLINK ${link} points_to)
        if(NOT points_to STREQUAL "${PROJECT_SOURCE_DIR}/src/${room}")
            file(REMOVE ${link})
        endif()
    endif()
    if(NOT IS_SYMLINK ${link})
        file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${room} ${link} SYMBOLIC)
    endif()
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "INTERFACE_LIBRARY")
        target_include_directories(${target} INTERFACE ${root})
    else()
        target_include_directories(${target} PUBLIC ${root})
    endif()
    set_property(GLOBAL APPEND PROPERTY GEARBOOK_FLOORS ${target})
endfunction()

# Fails the configuration when a room links a room made after it.
function(gearbook_check_floors)
    get_property(floors GLOBAL PROPERTY GEARBOOK_FLOORS)
    set(below)
    foreach(target IN LISTS floors)
        get_target_property(type ${target} TYPE)
        set(links)
        if(NOT type STREQUAL "INTERFACE_LIBRARY")
            get_target_property(links ${target} LINK_LIBRARIES)
        endif()
        get_target_property(interface_links ${target} INTERFACE_LINK_LIBRARIES)
        foreach(link IN LISTS links interface_links)
            string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" link "${link}")
            if(link IN_LIST floors AND NOT link IN_LIST below AND NOT link STREQUAL target)
                message(FATAL_ERROR "${target} links ${link}, a room above it: a room may use only the rooms "
                                    "made before it (the order of add_subdirectory in CMakeLists.txt)")
            endif()
        endforeach()
        list(APPEND below ${target})
    endforeach()
endfunction()
