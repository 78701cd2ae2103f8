# Shared by the install checks: runs the bash completion of orvantis-cli on a command line.
# complete_line SCRIPT WORD... prints the offers for the last word, one per line, sorted.
complete_line() {
    local script=$1
    shift
    (
        # shellcheck source=/dev/null
        source "$script" || exit 1
        local fn
        fn=$(complete -p orvantis-cli | sed -n 's/.*-F \([^ ]*\) .*/\1/p')
        COMP_WORDS=("$@")
        COMP_CWORD=$(($# - 1))
        COMP_LINE="$*"
        COMP_POINT=${#COMP_LINE}
        "$fn" orvantis-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
        printf '%s\n' "${COMPREPLY[@]}" | sed '/^$/d' | sort
    )
}
