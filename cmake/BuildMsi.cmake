# Builds the MSI from an installed tree, with wixl (Debian's wixl package):
#   cmake -DSTAGE=dir -DVERSION=1.2.3 -DPUBLISHER=... -DICON=file.ico -DWIXL=/usr/bin/wixl
#         -DOUTPUT=file.msi -P BuildMsi.cmake
# Every file of the tree is installed into Program Files\Runtally, each its own component, in
# the order of their paths. The product code is made from the upgrade code and the version: each
# version has its own, so a newer one is a major upgrade, and every build of one version has the
# same, so two builds give the same tables.
foreach(variable STAGE VERSION PUBLISHER ICON WIXL OUTPUT)
    if(NOT DEFINED ${variable})
        message(FATAL_ERROR "BuildMsi.cmake needs -D${variable}=...")
    endif()
endforeach()
# Fixed for good: it tells Windows that every version is the same product.
set(UPGRADE_CODE D9DC2BCF-E396-46E3-8550-8A4890FB5780)
string(UUID PRODUCT_CODE NAMESPACE ${UPGRADE_CODE} NAME "Milvane Runtally ${VERSION}" TYPE SHA1
       UPPER)

# An identifier for the MSI's tables from a path: letters, digits and underscores.
function(msi_id out prefix path)
    string(MAKE_C_IDENTIFIER "${path}" id)
    set(${out} "${prefix}_${id}" PARENT_SCOPE)
endfunction()

include("${CMAKE_CURRENT_LIST_DIR}/PackageFiles.cmake")
package_files(files "${STAGE}" "${STAGE}")
set(FILES "")
set(COMPONENT_REFS "")
set(open_folder "")
foreach(file IN LISTS files)
    get_filename_component(folder "${file}" DIRECTORY)
    get_filename_component(name "${file}" NAME)
    if(NOT folder STREQUAL open_folder)
        if(NOT open_folder STREQUAL "")
            string(APPEND FILES "          </Directory>\n")
        endif()
        if(folder MATCHES "/")
            message(FATAL_ERROR "Only one level of folders is laid out: ${file}")
        endif()
        if(NOT folder STREQUAL "")
            msi_id(directory d "${folder}")
            string(APPEND FILES "          <Directory Id=\"${directory}\" Name=\"${folder}\">\n")
        endif()
        set(open_folder "${folder}")
    endif()
    msi_id(component c "${file}")
    msi_id(file_id f "${file}")
    string(APPEND FILES
        "          <Component Id=\"${component}\" Guid=\"*\" Win64=\"yes\">\n"
        "            <File Id=\"${file_id}\" Name=\"${name}\" Source=\"${file}\" KeyPath=\"yes\"/>\n"
        "          </Component>\n")
    string(APPEND COMPONENT_REFS "      <ComponentRef Id=\"${component}\"/>\n")
endforeach()
if(NOT open_folder STREQUAL "")
    string(APPEND FILES "          </Directory>\n")
endif()

# wixl takes sources by paths relative to the folder it runs in: the tree's.
file(RELATIVE_PATH ICON "${STAGE}" "${ICON}")
get_filename_component(template "${CMAKE_CURRENT_LIST_DIR}/runtally.wxs.in" ABSOLUTE)
configure_file("${template}" "${OUTPUT}.wxs" @ONLY)
execute_process(COMMAND "${WIXL}" --arch x64 -o "${OUTPUT}" "${OUTPUT}.wxs"
                WORKING_DIRECTORY "${STAGE}" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "wixl could not build ${OUTPUT}")
endif()
