# gearbook_add_forms(<target> <form.ui>...)
# Compiles a library's forms with uic. A window class inherits the Ui:: class
# made from its form, so the window's header includes ui_<form>.h, and so does
# everything that includes the window's header (other windows, tests). The
# generated headers go to <binary dir>/<target>_forms, which the target publishes.
function(gearbook_add_forms target)
    set(dir ${CMAKE_CURRENT_BINARY_DIR}/${target}_forms)
    set(headers)
    foreach(form IN LISTS ARGN)
        get_filename_component(name ${form} NAME_WE)
        set(header ${dir}/ui_${name}.h)
        add_custom_command(OUTPUT ${header}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
            COMMAND Qt6::uic -o ${header} ${CMAKE_CURRENT_SOURCE_DIR}/${form}
            DEPENDS ${form} Qt6::uic
            COMMENT "uic ${form}"
            VERBATIM)
        list(APPEND headers ${header})
    endforeach()
    target_sources(${target} PRIVATE ${ARGN} ${headers})
    set_source_files_properties(${headers} PROPERTIES SKIP_AUTOGEN ON)
    set_target_properties(${target} PROPERTIES AUTOUIC OFF)
    target_include_directories(${target} PUBLIC ${dir})
endfunction()
