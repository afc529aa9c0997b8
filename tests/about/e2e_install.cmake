# Installs the build into a fresh prefix and starts the installed launcher.
# -DBUILD_DIR -DSOURCE_DIR -DWORK_DIR -DLIBDIR -DBINDIR -DDATADIR -DAPP_ID -DWITH_MPNG
set(prefix ${WORK_DIR}/prefix)
set(program_dir ${prefix}/${LIBDIR}/pirapo-lumo)
set(launcher ${prefix}/${BINDIR}/pirapo-lumo)
set(share ${prefix}/${DATADIR})
file(REMOVE_RECURSE ${WORK_DIR})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix} COMMAND_ERROR_IS_FATAL ANY)

# What the program reads from its own folder is byte for byte as shipped.
set(icons ${share}/icons/hicolor)
foreach(path ${program_dir}/Readme.txt ${program_dir}/Error.jpg ${program_dir}/help/help.htm ${program_dir}/pirapo-lumo
        ${launcher} ${icons}/scalable/apps/${APP_ID}.svg ${icons}/48x48/apps/${APP_ID}.png
        ${icons}/128x128/apps/${APP_ID}.png ${icons}/256x256/apps/${APP_ID}.png ${share}/applications/${APP_ID}.desktop)
    if(NOT EXISTS ${path} OR IS_DIRECTORY ${path})
        message(FATAL_ERROR "not installed: ${path}")
    endif()
    string(REPLACE "${program_dir}/" "" shipped "${path}")
    if(EXISTS ${SOURCE_DIR}/resources/${shipped} AND NOT IS_DIRECTORY ${SOURCE_DIR}/resources/${shipped})
        execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${SOURCE_DIR}/resources/${shipped} ${path}
                        RESULT_VARIABLE differs)
        if(differs)
            message(FATAL_ERROR "${shipped} differs from the shipped file")
        endif()
    endif()
endforeach()
# The mpng library beside the program; the menu entry starts the launcher by name from PATH.
file(GLOB mpng ${program_dir}/*mpng*)
file(STRINGS ${share}/applications/${APP_ID}.desktop exec REGEX "^Exec=")
if((WITH_MPNG AND NOT mpng) OR NOT exec MATCHES "^Exec=pirapo-lumo( |$)")
    message(FATAL_ERROR "mpng beside the program: '${mpng}'; the desktop entry runs '${exec}'")
endif()

# A settings file written with LF line ends comes back with CR LF when the program ends on
# SIGTERM as at a normal close: that shows the installed program started and found its own
# folder, whatever the working folder, also through a link to the launcher such as one in ~/bin.
file(CREATE_LINK ${launcher} ${WORK_DIR}/linked-launcher SYMBOLIC)
string(REPEAT "\"/\"\n" 22 folders)
foreach(start ${launcher} ${WORK_DIR}/linked-launcher)
    file(WRITE ${program_dir}/Pirapo.ini "${folders}0,0,0\n0,0,0,0,0,0,0,64,10,1\n")
    execute_process(COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
                            timeout --preserve-status -s TERM 10 ${start} WORKING_DIRECTORY ${WORK_DIR}
                    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out TIMEOUT 120)
    file(READ ${program_dir}/Pirapo.ini written HEX)
    if(NOT rc EQUAL 0 OR NOT written MATCHES "0d0a$")
        message(FATAL_ERROR "${start} ended with ${rc} or did not rewrite ${program_dir}/Pirapo.ini:\n${out}")
    endif()
endforeach()
file(REMOVE_RECURSE ${WORK_DIR})
