# A zip for Windows: cpack -G ZIP in the build folder gives runtally-<version>-win64.zip, one
# folder that runs where it is unpacked. Beside the two executables: the Qt libraries, the
# platform and style plugins in the subfolders where Qt looks for them, the compiler's runtime
# libraries (MinGW), and a read-me for the user.
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

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_FILE_NAME "runtally-${PROJECT_VERSION}-win64")
include(CPack)
