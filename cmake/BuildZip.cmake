# Builds the zip from an installed tree, with Info-ZIP's zip (Debian's zip package):
#   cmake -DSTAGE=dir -DZIP=/usr/bin/zip -DOUTPUT=file.zip -P BuildZip.cmake
# The tree's folder is the zip's one folder. The entries stand in the order of their paths, with
# no owner, and, where SOURCE_DATE_EPOCH is set, each with that time, written in UTC: two builds
# of one commit give the same bytes on any machine.
foreach(variable STAGE ZIP OUTPUT)
    if(NOT DEFINED ${variable})
        message(FATAL_ERROR "BuildZip.cmake needs -D${variable}=...")
    endif()
endforeach()
include("${CMAKE_CURRENT_LIST_DIR}/PackageFiles.cmake")
get_filename_component(parent "${STAGE}" DIRECTORY)
package_files(files "${STAGE}" "${parent}")
list(JOIN files "\n" listing)
file(WRITE "${OUTPUT}.files" "${listing}\n")
file(REMOVE "${OUTPUT}")
execute_process(COMMAND ${CMAKE_COMMAND} -E env TZ=UTC0 "${ZIP}" -X -D -q "${OUTPUT}" -@
                INPUT_FILE "${OUTPUT}.files" WORKING_DIRECTORY "${parent}" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "zip could not build ${OUTPUT}")
endif()
