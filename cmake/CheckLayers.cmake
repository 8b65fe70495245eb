cmake_minimum_required(VERSION 3.25)
# cmake -DROOT=<src folder> -P CheckLayers.cmake
# Fails on any #include of a layer that does not lie below the including file's
# layer, so the arrows the libraries link by are the arrows the headers keep;
# and, inside a layer that orders its rooms (sub-folders), on any #include of a
# room that does not lie below the including file's room.
if(NOT ROOT)
    message(FATAL_ERROR "CheckLayers: pass -DROOT=<src folder>")
endif()

# Each layer and the layers it may include besides itself.
set(below_foundation "")
set(below_platform foundation)
set(below_audio foundation platform)
set(below_model foundation platform audio)
set(below_KivUI foundation platform audio model)
set(below_tabbar ${below_KivUI} KivUI)
set(below_effecteditor ${below_KivUI} KivUI)
set(below_crashreporter ${below_KivUI} KivUI)
set(below_window ${below_KivUI} KivUI tabbar)
set(below_app ${below_window} window effecteditor crashreporter)
set(layers foundation platform audio model KivUI tabbar effecteditor crashreporter window app)

# The rooms of a layer, lowest first: a file in a room may include its own room
# and the rooms before it. Every file of such a layer lies in one of its rooms.
set(rooms_audio core render device effects source)
set(rooms_window warnings waveform sheets grid inspector tabs workspace)

set(refused 0)
macro(refuse text)
    file(RELATIVE_PATH where "${ROOT}" "${file}")
    # Indented, so that CMake does not wrap the line.
    message(SEND_ERROR " ${where}: ${text}")
    math(EXPR refused "${refused} + 1")
endmacro()

foreach(layer IN LISTS layers)
    set(allowed ${layer} ${below_${layer}})
    set(rooms ${rooms_${layer}})
    file(GLOB_RECURSE files "${ROOT}/${layer}/*.h" "${ROOT}/${layer}/*.cpp")
    foreach(file IN LISTS files)
        set(room "")
        if(rooms)
            file(RELATIVE_PATH inside "${ROOT}/${layer}" "${file}")
            string(REGEX REPLACE "^([^/]+)/.*$" "\\1" room "${inside}")
            list(FIND rooms "${room}" room_rank)
            if(room STREQUAL inside OR room_rank LESS 0)
                list(JOIN rooms " < " order)
                refuse("lies in no room of ${layer} (${order})")
                continue()
            endif()
        endif()
        file(STRINGS "${file}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"/]+/")
        foreach(line IN LISTS includes)
            string(REGEX REPLACE "^[^\"]*\"([^\"]+)\".*$" "\\1" included "${line}")
            string(REGEX REPLACE "^([^/]+)/.*$" "\\1" target "${included}")
            if(target IN_LIST layers AND NOT target IN_LIST allowed)
                refuse("${layer} includes ${target}, which lies above it")
            elseif(room AND target STREQUAL layer)
                string(REGEX REPLACE "^[^/]+/([^/]+)/.*$" "\\1" target_room "${included}")
                list(FIND rooms "${target_room}" target_rank)
                if(target_rank LESS 0)
                    refuse("${layer}/${room} includes ${included}, which lies in no room")
                elseif(target_rank GREATER room_rank)
                    refuse(
                        "${layer}/${room} includes ${layer}/${target_room}, which lies above it")
                endif()
            endif()
        endforeach()
    endforeach()
endforeach()
if(refused GREATER 0)
    message(FATAL_ERROR "${refused} upward include(s) or file(s) in no room")
endif()
