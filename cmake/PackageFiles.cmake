# What the package scripts share: the files of an installed tree, in the order of their paths,
# given the commit's time where SOURCE_DATE_EPOCH is set, so that a package lists and dates them
# the same way wherever it is built.
function(package_files out tree relative_to)
    file(GLOB_RECURSE files RELATIVE "${relative_to}" LIST_DIRECTORIES false "${tree}/*")
    if(NOT files)
        message(FATAL_ERROR "Nothing to package in ${tree}")
    endif()
    list(SORT files)
    if(DEFINED ENV{SOURCE_DATE_EPOCH})
        execute_process(COMMAND touch -d "@$ENV{SOURCE_DATE_EPOCH}" ${files}
                        WORKING_DIRECTORY "${relative_to}" RESULT_VARIABLE failed)
        if(failed)
            message(FATAL_ERROR "The files' times could not be set to SOURCE_DATE_EPOCH")
        endif()
    endif()
    set(${out} ${files} PARENT_SCOPE)
endfunction()
