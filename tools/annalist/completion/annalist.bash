# Bash completion for annalist. The commands and their options are read from
# the tool's own help (`annalist --help`, `annalist COMMAND --help`), so new
# commands and options complete without a change here. An option's value is
# completed from the name the help gives it: "a|b|c" offers a, b and c; a name
# ending in DIR offers folders; FILE or a name with an extension offers files.

# The commands that `annalist --help` lists.
_annalist_commands()
{
    "$1" --help 2>/dev/null | awk '
        /^(Subcommands|Commands):/ { listing = 1; next }
        listing && /^[^ ]/ { listing = 0 }
        listing && /^  [a-z]/ { print $1 }'
}

# "option value-name" for each option in a help text ("-" when it takes none).
_annalist_options()
{
    awk '
        /^  +-/ {
            split($1, names, ",")
            value = ($2 ~ /^[A-Za-z0-9_.|-]+$/ && $2 !~ /^-/ && $2 != "REQUIRED") ? $2 : "-"
            for (i in names)
                if (names[i] ~ /^-/)
                    print names[i], value
        }'
}

_annalist()
{
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
    local tool=${COMP_WORDS[0]} command="" i
    for ((i = 1; i < COMP_CWORD; i++)); do
        case ${COMP_WORDS[i]} in
        -*) ;;
        *)
            command=${COMP_WORDS[i]}
            break
            ;;
        esac
    done

    local help options value
    if [[ -n $command ]]; then
        help=$("$tool" "$command" --help 2>/dev/null)
    else
        help=$("$tool" --help 2>/dev/null)
    fi
    options=$(_annalist_options <<<"$help")

    # The value of the option before the cursor.
    value=$(awk -v option="$prev" '$1 == option { print $2; exit }' <<<"$options")
    if [[ -n $value && $value != "-" ]]; then
        case $value in
        *"|"*) mapfile -t COMPREPLY < <(compgen -W "${value//|/ }" -- "$cur") ;;
        *DIR) mapfile -t COMPREPLY < <(compgen -d -- "$cur") ;;
        *FILE* | *.*) mapfile -t COMPREPLY < <(compgen -f -- "$cur") ;;
        esac
        return
    fi

    if [[ $cur == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W "$(awk '{ print $1 }' <<<"$options")" -- "$cur")
    elif [[ -z $command ]]; then
        mapfile -t COMPREPLY < <(compgen -W "$(_annalist_commands "$tool")" -- "$cur")
    else
        mapfile -t COMPREPLY < <(compgen -f -- "$cur")
    fi
}
complete -o filenames -F _annalist annalist
