# bash completion for packshelf-cli: commands, their options, folders, the
# archives of SOURCE for --runtime/--data/--force NAME=PATH and the installed
# packages of DEST for uninstall, verify and repair.

_packshelf_cli() {
    local cur prev words cword split
    _init_completion -s -n = || return

    local common='--json -q --quiet --version -h --help'
    if ((cword == 1)); then
        mapfile -t COMPREPLY < <(compgen -W "analyze install installed uninstall recover verify repair undo -h --help --version" -- "$cur")
        return
    fi

    # The positional arguments before the word being completed.
    local i positional=()
    for ((i = 2; i < cword; i++)); do
        case ${words[i]} in
        --work | --source | --runtime | --data | --force | --password-file) ((i++)) ;;
        -*) ;;
        *) positional+=("${words[i]/#\~/$HOME}") ;;
        esac
    done

    local name names=()
    case $prev in
    --work | --source)
        _filedir -d
        return
        ;;
    --password-file)
        _filedir
        return
        ;;
    --runtime | --data | --force)
        for name in "${positional[0]-.}"/*; do
            [[ -f $name ]] && names+=("${name##*/}=")
        done
        compopt -o nospace -o filenames
        ;;
    *)
        $split && return
        local options=$common folders=1
        case ${words[1]} in
        analyze) options="--work --ignore-data --tree --password-file --password-stdin $common" ;;
        install) options="--work --ignore-data --dry-run --runtime --data --force --password-file --password-stdin $common" folders=2 ;;
        verify) options="--full --foreign $common" ;;
        repair) options="--source --work $common" ;;
        esac
        if [[ $cur == -* ]]; then
            mapfile -t COMPREPLY < <(compgen -W "$options" -- "$cur")
        elif ((${#positional[@]} < folders)); then
            _filedir -d
        elif [[ ${words[1]} == @(uninstall|verify|repair) ]]; then
            # JSON keys are sorted, so ARCHIVE comes first.
            mapfile -t names < <("${words[0]/#\~/$HOME}" installed "${positional[0]}" --json \
                --quiet 2>/dev/null | sed -n 's/^{"ARCHIVE":"\([^"]*\)".*/\1/p')
            compopt -o filenames
        fi
        ;;
    esac
    for name in "${names[@]}"; do
        [[ $name == "$cur"* ]] && COMPREPLY+=("$name")
    done
} && complete -F _packshelf_cli packshelf-cli
