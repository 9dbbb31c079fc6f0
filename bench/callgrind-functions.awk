# Instructions per function of one callgrind output file (one thread), as
# "count<TAB>function" lines, read straight from the file's own records. With
# -v kind=self the function's own cost; otherwise its inclusive cost: its own
# plus that of the calls it makes (direct recursion not counted twice).
# Functions are told
# apart by name only, so the parts of a function that the debug information
# places in different source files (inlined headers, or one file under two
# spellings of its path) count once, together.
function function_name(text,   id, name) {
    # "(12) name" defines id 12, "(12)" refers to it; uncompressed names as they are.
    if (text !~ /^\(/)
        return text
    id = text
    sub(/\).*/, "", id)
    sub(/^\(/, "", id)
    name = text
    if (sub(/^\([0-9]+\) /, "", name))
        names[id] = name
    return names[id]
}
/^fn=/ {
    current = function_name(substr($0, 4))
    call_pending = 0
    next
}
/^cfn=/ {
    callee = function_name(substr($0, 5))
    next
}
/^calls=/ {
    call_pending = 1
    next
}
/^[0-9+*-]/ {
    if (current == "")
        next
    if (call_pending) {
        if (callee != current)
            calls[current] += $NF
        call_pending = 0
    } else {
        self[current] += $NF
    }
    seen[current] = 1
}
END {
    for (f in seen)
        printf "%.0f\t%s\n", self[f] + (kind == "self" ? 0 : calls[f]), f
}
