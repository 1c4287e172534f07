# gearbook_soname(<variable> <shared library>): sets <variable> to the library's
# SONAME, the name it is opened by at run time (src/common/SharedLibrary.h).
function(gearbook_soname variable library)
    if(NOT CMAKE_OBJDUMP)
        message(FATAL_ERROR "objdump is needed to read the SONAME of ${library}")
    endif()
    execute_process(COMMAND ${CMAKE_OBJDUMP} -p ${library}
                    OUTPUT_VARIABLE headers ERROR_VARIABLE error RESULT_VARIABLE status)
    if(NOT status EQUAL 0 OR NOT headers MATCHES "SONAME[ \t]+([^ \t\r\n]+)")
        message(FATAL_ERROR "The SONAME of ${library} could not be read with ${CMAKE_OBJDUMP} "
                            "(the library's shared object and its -dev package are needed): ${error}")
    endif()
    set(${variable} ${CMAKE_MATCH_1} PARENT_SCOPE)
endfunction()
