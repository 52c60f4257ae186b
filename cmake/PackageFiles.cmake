# What the package scripts share: the files of an installed tree, in the order of their paths,
# given the commit's time where SOURCE_DATE_EPOCH is set, so that a package lists and dates them
# the same way wherever it is built.
function(package_files out tree relative_to)
    if(NOT IS_DIRECTORY "${tree}" OR tree STREQUAL "/" OR NOT IS_DIRECTORY "${relative_to}")
        message(FATAL_ERROR "No installed tree to package at \"${tree}\"")
    endif()
    file(GLOB_RECURSE files RELATIVE "${relative_to}" LIST_DIRECTORIES false "${tree}/*")
    if(NOT files)
        message(FATAL_ERROR "Nothing to package in ${tree}")
    endif()
    list(SORT files)
    if(DEFINED ENV{SOURCE_DATE_EPOCH})
        # A link's own time, never that of what it points at.
        execute_process(COMMAND touch -h -d "@$ENV{SOURCE_DATE_EPOCH}" ${files}
                        WORKING_DIRECTORY "${relative_to}" RESULT_VARIABLE status)
        if(NOT status EQUAL 0)
            message(FATAL_ERROR "The files' times could not be set to SOURCE_DATE_EPOCH")
        endif()
    endif()
    set(${out} ${files} PARENT_SCOPE)
endfunction()
