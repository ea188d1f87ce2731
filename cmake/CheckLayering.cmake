# Fails when an include runs against the layering of src/: each floor below may include only
# the floors beneath it, never one above and never a neighbour on its own floor, and the
# files of one folder include one another without a cycle. Run as:
#   cmake -DSOURCE_DIR=<src> -P CheckLayering.cmake
# The configure step runs it too, so a build of a tree that breaks the rule does not start.
cmake_minimum_required(VERSION 3.25)

set(floors
    "midi"
    "files ports ci"
    "decode ini"
    "capture ump"
    "rows recording"
    "frame"
    "filter timing sender export imports"
    "grid"
    "looptest pane marks"
    "cli"
    "filemenu"
    "settings"
    "main")

set(floor_number 0)
foreach(floor IN LISTS floors)
    string(REPLACE " " ";" folders "${floor}")
    foreach(folder IN LISTS folders)
        set(floor_of_${folder} ${floor_number})
    endforeach()
    math(EXPR floor_number "${floor_number} + 1")
endforeach()

set(offenders "")
file(GLOB folders RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/*")
foreach(folder IN LISTS folders)
    if(NOT IS_DIRECTORY "${SOURCE_DIR}/${folder}")
        continue()
    endif()
    if(NOT DEFINED floor_of_${folder})
        list(APPEND offenders "src/${folder}: a folder on no floor of cmake/CheckLayering.cmake")
        continue()
    endif()
    file(GLOB sources RELATIVE "${SOURCE_DIR}/${folder}"
        "${SOURCE_DIR}/${folder}/*.h" "${SOURCE_DIR}/${folder}/*.cpp")
    foreach(source IN LISTS sources)
        file(STRINGS "${SOURCE_DIR}/${folder}/${source}" includes REGEX "^#include \"")
        set(near_${folder}_${source} "")
        foreach(line IN LISTS includes)
            string(REGEX REPLACE "^#include \"([^\"]*)\".*" "\\1" included "${line}")
            if(included MATCHES "^([A-Za-z_]+)/")
                set(target "${CMAKE_MATCH_1}")
                if(NOT DEFINED floor_of_${target})
                    continue()
                endif()
                if(NOT floor_of_${target} LESS floor_of_${folder})
                    list(APPEND offenders "src/${folder}/${source} includes ${included}")
                endif()
            else()
                list(APPEND near_${folder}_${source} "${included}")
            endif()
        endforeach()
    endforeach()

    # A file that reaches itself through the includes of its own folder is in a cycle.
    foreach(source IN LISTS sources)
        set(reached "")
        set(waiting ${near_${folder}_${source}})
        while(waiting)
            list(POP_FRONT waiting next)
            if(next IN_LIST reached OR NOT DEFINED near_${folder}_${next})
                continue()
            endif()
            list(APPEND reached "${next}")
            list(APPEND waiting ${near_${folder}_${next}})
        endwhile()
        if(source IN_LIST reached)
            list(JOIN reached ", " chain)
            list(APPEND offenders "src/${folder}/${source} includes itself through ${chain}")
        endif()
    endforeach()
endforeach()

if(offenders)
    list(JOIN offenders "\n" report)
    message(FATAL_ERROR "Includes against the layering (see cmake/CheckLayering.cmake):\n"
        "${report}")
endif()
