# Every C and C++ source of the repository is laid out by .clang-format:
#   cmake -DROOT=<repository> -DCLANG_FORMAT=<clang-format> -P format.cmake
# `clang-format -i` on the files it names puts them right.
file(GLOB_RECURSE files RELATIVE ${ROOT}
     ${ROOT}/src/*.h ${ROOT}/src/*.cpp ${ROOT}/src/*.c
     ${ROOT}/tests/*.h ${ROOT}/tests/*.cpp
     ${ROOT}/bench/*.h ${ROOT}/bench/*.cpp
     ${ROOT}/fuzz/*.h ${ROOT}/fuzz/*.cpp)
execute_process(COMMAND ${CLANG_FORMAT} --dry-run --Werror ${files}
                WORKING_DIRECTORY ${ROOT} RESULT_VARIABLE failed ERROR_VARIABLE report)
if(failed)
    string(REGEX MATCHALL "[^\n:]+:[0-9]+:[0-9]+: error" places "${report}")
    set(named "")
    foreach(place ${places})
        string(REGEX REPLACE ":[0-9]+:[0-9]+: error$" "" f "${place}")
        list(APPEND named ${f})
    endforeach()
    list(REMOVE_DUPLICATES named)
    list(JOIN named "\n  " named)
    message(FATAL_ERROR "not laid out by .clang-format (run clang-format -i on them):\n  ${named}")
endif()
