# An include upward fails the build: the probe source built with platform/'s include roots
# builds while it includes platform/ and fails, for want of the header, when it includes
# session/.
#   cmake -DBUILD_DIR=<build tree> -P layer_probe.cmake
function(build_probe target out_result out_log)
    execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD_DIR} --target ${target}
                    RESULT_VARIABLE result OUTPUT_VARIABLE log ERROR_VARIABLE log)
    set(${out_result} ${result} PARENT_SCOPE)
    set(${out_log} "${log}" PARENT_SCOPE)
endfunction()

build_probe(layer_probe_own result log)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "the probe does not build even with its own folder's header:\n${log}")
endif()
build_probe(layer_probe_upward result log)
if(result EQUAL 0)
    message(FATAL_ERROR "platform/ built with an include of session/: the layers are open upward")
endif()
if(NOT log MATCHES "session/Settings\\.h")
    message(FATAL_ERROR "the upward probe failed, but not on the upward include:\n${log}")
endif()
