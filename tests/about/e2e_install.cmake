# Installs the build into a fresh prefix and starts the installed launcher.
# -DBUILD_DIR -DSOURCE_DIR -DWORK_DIR -DLIBDIR -DBINDIR -DDATADIR -DAPP_ID -DWITH_MPNG

set(prefix ${WORK_DIR}/prefix)
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})

execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "install failed (${rc}):\n${out}")
endif()

set(program_dir ${prefix}/${LIBDIR}/pirapo-lumo)
set(launcher ${prefix}/${BINDIR}/pirapo-lumo)

function(expect_file path)
    if(NOT EXISTS ${path} OR IS_DIRECTORY ${path})
        message(FATAL_ERROR "not installed: ${path}")
    endif()
endfunction()

# What the program reads from its own folder, byte for byte as shipped.
foreach(f Readme.txt Error.jpg help/help.htm)
    expect_file(${program_dir}/${f})
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${SOURCE_DIR}/resources/${f} ${program_dir}/${f}
                    RESULT_VARIABLE differs)
    if(differs)
        message(FATAL_ERROR "${f} differs from the shipped file")
    endif()
endforeach()
expect_file(${program_dir}/pirapo-lumo)
if(WITH_MPNG)
    file(GLOB mpng ${program_dir}/*mpng*)
    if(NOT mpng)
        message(FATAL_ERROR "the mpng library is not beside the installed program")
    endif()
endif()
expect_file(${launcher})
expect_file(${prefix}/${DATADIR}/icons/hicolor/scalable/apps/${APP_ID}.svg)
foreach(size 48 128 256)
    expect_file(${prefix}/${DATADIR}/icons/hicolor/${size}x${size}/apps/${APP_ID}.png)
endforeach()

# The menu entry starts the launcher by name from PATH.
set(desktop ${prefix}/${DATADIR}/applications/${APP_ID}.desktop)
expect_file(${desktop})
file(STRINGS ${desktop} exec REGEX "^Exec=")
get_filename_component(launcher_name ${launcher} NAME)
if(NOT exec MATCHES "^Exec=${launcher_name}( |$)")
    message(FATAL_ERROR "the desktop entry runs '${exec}', the launcher is ${launcher_name}")
endif()

# A settings file too short to trust makes the program delete it and end at once: that it
# disappears shows the installed program started and found its own folder, whatever the
# working folder, also through a link to the launcher such as one in ~/bin.
file(CREATE_LINK ${launcher} ${WORK_DIR}/linked-launcher SYMBOLIC)
foreach(start ${launcher} ${WORK_DIR}/linked-launcher)
    file(WRITE ${program_dir}/Pirapo.ini "\"/\"\r\n")
    execute_process(COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ${start}
                    WORKING_DIRECTORY ${WORK_DIR}
                    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out TIMEOUT 120)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "${start} ended with ${rc}:\n${out}")
    endif()
    if(EXISTS ${program_dir}/Pirapo.ini)
        message(FATAL_ERROR "${start} did not read the settings file in ${program_dir}")
    endif()
endforeach()

file(REMOVE_RECURSE ${WORK_DIR})
