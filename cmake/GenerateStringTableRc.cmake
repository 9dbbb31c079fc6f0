# Turns the string table source (STR(id, "C literal") lines) into windres
# STRINGTABLE entries. windres spells a quote inside a string as "".
file(STRINGS ${INPUT} _lines ENCODING UTF-8)
set(_out "// Generated from strings.h; do not edit.\n")
foreach(_line IN LISTS _lines)
    if(_line MATCHES "^STR\\(([0-9]+), \"(.*)\"\\)$")
        set(_id ${CMAKE_MATCH_1})
        set(_text "${CMAKE_MATCH_2}")
        string(REPLACE "\\\"" "\"\"" _text "${_text}")
        string(APPEND _out "${_id}, L\"${_text}\"\n")
    endif()
endforeach()
file(WRITE ${OUTPUT} "${_out}")
