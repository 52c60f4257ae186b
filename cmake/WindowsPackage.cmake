# What a Windows install holds, in the program's folder: beside the two executables, the Qt
# libraries, the platform and style plugins in the subfolders where Qt looks for them, the
# compiler's runtime libraries (MinGW), and a read-me for the user.
foreach(qt_library Core Gui Widgets)
    install(FILES $<TARGET_FILE:Qt6::${qt_library}> DESTINATION .)
endforeach()
install(FILES $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin> DESTINATION platforms)
if(TARGET Qt6::QWindowsVistaStylePlugin)
    install(FILES $<TARGET_FILE:Qt6::QWindowsVistaStylePlugin> DESTINATION styles)
endif()

if(MINGW)
    foreach(runtime libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
        execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${runtime}
                        OUTPUT_VARIABLE runtime_path OUTPUT_STRIP_TRAILING_WHITESPACE)
        if(NOT IS_ABSOLUTE "${runtime_path}" OR NOT EXISTS "${runtime_path}")
            message(FATAL_ERROR "The compiler's runtime library ${runtime} was not found")
        endif()
        install(FILES ${runtime_path} DESTINATION .)
    endforeach()
    # The C++ runtime comes with its symbols: 24 MB where 2 MB do.
    if(CMAKE_STRIP)
        install(CODE "execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-unneeded
                      \"\${CMAKE_INSTALL_PREFIX}/libstdc++-6.dll\")")
    endif()
endif()

configure_file(${PROJECT_SOURCE_DIR}/app/README-windows.txt.in README.txt @ONLY NEWLINE_STYLE CRLF)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/README.txt DESTINATION .)

# The packages, built from the same installed tree: cmake --build . --target zip gives
# runtally-<version>-win64.zip, one folder that runs where it is unpacked, and --target msi gives
# runtally-<version>-win64.msi, a per-machine install into Program Files\Runtally with a
# Start-menu shortcut. They need Info-ZIP's zip and wixl (Debian's zip and wixl packages); each
# target is there where its tool is found.
set(package_name runtally-${PROJECT_VERSION}-win64)
set(stage ${CMAKE_BINARY_DIR}/package/${package_name})
add_custom_target(package-tree
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${CMAKE_BINARY_DIR}/package
    COMMAND ${CMAKE_COMMAND} --install ${CMAKE_BINARY_DIR} --prefix ${stage}
    DEPENDS runtally runtally-report
    VERBATIM)
find_program(RUNTALLY_ZIP zip)
if(RUNTALLY_ZIP)
    add_custom_target(zip
        COMMAND ${CMAKE_COMMAND} -DSTAGE=${stage} -DZIP=${RUNTALLY_ZIP}
                -DOUTPUT=${CMAKE_BINARY_DIR}/${package_name}.zip
                -P ${PROJECT_SOURCE_DIR}/cmake/BuildZip.cmake
        DEPENDS package-tree
        VERBATIM)
endif()
find_program(RUNTALLY_WIXL wixl)
if(RUNTALLY_WIXL)
    add_custom_target(msi
        COMMAND ${CMAKE_COMMAND} -DSTAGE=${stage} -DVERSION=${PROJECT_VERSION}
                "-DPUBLISHER=${CPACK_PACKAGE_VENDOR}"
                -DICON=${PROJECT_SOURCE_DIR}/app/icons/runtally.ico -DWIXL=${RUNTALLY_WIXL}
                -DOUTPUT=${CMAKE_BINARY_DIR}/${package_name}.msi
                -P ${PROJECT_SOURCE_DIR}/cmake/BuildMsi.cmake
        DEPENDS package-tree
        VERBATIM)
endif()
