#!/usr/bin/env bash
# test_package.sh CASE: the Debian package (deb makes it into DEB_DIR with
# cpack from the built programs; contents, lintian and metadata check it),
# the manual pages and the bash completion. SOURCE, BUILD, VERSION, CPACK and
# DEB_DIR come from CTest. A missing tool skips the case (exit 77);
# scripts/deps installs them all.
set -euo pipefail

need() {
    for tool; do
        command -v "$tool" >/dev/null && continue
        echo "SKIPPED: $tool is missing (scripts/deps installs it)"
        exit 77
    done
}
failed=0
fail() {
    echo "FAIL: $*"
    failed=1
}
deb() { echo "$DEB_DIR"/packshelf_"$VERSION"_*.deb; }
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

case $1 in
deb)
    need dpkg-deb dpkg-shlibdeps
    rm -rf "$DEB_DIR"
    "$CPACK" -G DEB --config "$BUILD/CPackConfig.cmake" -B "$DEB_DIR"
    ;;
contents)
    need dpkg-deb
    share=usr/share
    expected=(usr/bin/packshelf usr/bin/packshelf-cli usr/libexec/packshelf/packshelf-reader
        $share/applications/io.packshelf.PackShelf.desktop
        $share/metainfo/io.packshelf.PackShelf.metainfo.xml
        $share/man/man1/packshelf.1.gz $share/man/man1/packshelf-cli.1.gz
        $share/bash-completion/completions/packshelf-cli
        $share/doc/packshelf/copyright $share/doc/packshelf/changelog.gz)
    for size in 16 32 48 64 128 256; do
        expected+=("$share/icons/hicolor/${size}x$size/apps/io.packshelf.PackShelf.png")
    done
    for ts in "$SOURCE"/resources/translations/*.ts; do
        expected+=("$share/packshelf/translations/$(basename "${ts%.ts}").qm")
    done
    diff -u <(printf '%s\n' "${expected[@]}" | sort) \
        <(dpkg-deb --contents "$(deb)" | awk '!/^d/ { sub("^\\./", "", $6); print $6 }' | sort) ||
        fail "the package's files differ from the expected ones (- missing, + unexpected)"
    # Field, then what its value must match.
    while read -r field pattern; do
        value=$(dpkg-deb --field "$(deb)" "$field")
        [[ $value =~ $pattern ]] || fail "$field: '$value' does not match '$pattern'"
    done <<FIELDS
Package ^packshelf$
Version ^$VERSION$
Section ^utils$
Depends (^|, )libqt6widgets6 \(>=
Depends (^|, )zlib1g \(>=
Maintainer ^PackShelf maintainers <.+@.+>$
Homepage ^https://
FIELDS
    [ "$(dpkg-deb --field "$(deb)" Description | wc -l)" -gt 3 ] || fail "no long description"
    ;;
lintian)
    need lintian
    lintian --fail-on error "$(deb)" || fail "lintian reports errors"
    ;;
metadata)
    need dpkg-deb appstreamcli desktop-file-validate
    # The metainfo as installed, with the desktop file its launchable names.
    dpkg-deb -x "$(deb)" "$scratch"
    appstreamcli validate-tree --no-net "$scratch" || fail "appstreamcli validate-tree"
    desktop-file-validate "$scratch"/usr/share/applications/*.desktop || fail "desktop-file-validate"
    grep -q "<release version=\"$VERSION\"" "$scratch"/usr/share/metainfo/*.xml ||
        fail "the metainfo has no release $VERSION"
    ;;
man)
    need man groff
    for program in packshelf packshelf-cli; do
        page="$SOURCE/docs/man/$program.1"
        warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >"$scratch/$program") || true
        [ -z "$warnings" ] || fail "$program.1: $warnings"
        grep -q "^\.TH .*\"PackShelf $VERSION\"" "$page" || fail "$program.1 is not of $VERSION"
        # Every command and option its --help names.
        commands=("")
        [ "$program" = packshelf ] ||
            mapfile -t -O 1 commands < <("$BUILD/bin/$program" --help | sed -n 's/^  \([a-z]\+\) .*/\1/p')
        for command in "${commands[@]}"; do
            for word in $command $("$BUILD/bin/$program" $command --help |
                grep -oE -- '(^|[^[:alnum:]-])--?[a-z][a-z-]*' | sed 's/^[^-]*//'); do
                grep -qwF -- "$word" "$scratch/$program" || fail "$program.1 lacks $command $word"
            done
        done
    done
    ;;
completion)
    [ -r /usr/share/bash-completion/bash_completion ] || need bash-completion
    touch "$scratch/Harbour Pack.zip"
    # Command line, then the completions of its last word.
    while IFS='|' read -r line expected; do
        got=$(cd "$scratch" && bash -c 'source /usr/share/bash-completion/bash_completion
            source "$1"; compopt() { :; }
            read -ra COMP_WORDS <<<"$2"
            COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); COMP_LINE=$2; COMP_POINT=${#2}
            _packshelf_cli; echo "${COMPREPLY[*]}"' _ "$SOURCE/resources/completion/packshelf-cli.bash" "$line")
        [ "$got" = "$expected" ] || fail "'$line': '$got', not '$expected'"
    done <<CASES
packshelf-cli ins|install installed
packshelf-cli install --d|--dry-run --data
packshelf-cli install . --runtime H|Harbour Pack.zip=
packshelf-cli uninstall --q|--quiet
CASES
    ;;
*)
    echo "unknown case $1"
    exit 2
    ;;
esac
exit $failed
