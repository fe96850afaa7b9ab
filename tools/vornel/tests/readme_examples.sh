#!/usr/bin/env bash
# Runs the shell examples of README.md and docs/*.md as a reader would, from the top of the
# tree after `make run`, so that the documentation cannot drift from the tool unseen.
#
# An example is a line "    $ COMMAND" of an indented block. The lines under it, up to the
# next "$" line or the end of the block, are what the command prints on standard output; a line
# "..." stands for any number of lines. The command must end with status 0. Paths into
# build/release/ are read in the tree under test instead, whose layout is the same. Examples
# only read: they run in the source tree.
#
# usage: readme_examples.sh SOURCE_DIR BINARY_DIR
set -u
source_dir=$1
binary_dir=$2
failures=0
examples=0

# Whether the lines of file $1 (what the command printed) are those of file $2 (the example's),
# with "..." in $2 taking any lines up to the next line it names.
matches() {
    local -a actual expected
    mapfile -t actual <"$1"
    mapfile -t expected <"$2"
    local i=0 j=0
    while [ "$i" -lt "${#expected[@]}" ]; do
        if [ "${expected[$i]}" = "..." ]; then
            i=$((i + 1))
            [ "$i" -eq "${#expected[@]}" ] && return 0
            while [ "$j" -lt "${#actual[@]}" ] && [ "${actual[$j]}" != "${expected[$i]}" ]; do
                j=$((j + 1))
            done
        fi
        [ "$j" -lt "${#actual[@]}" ] && [ "${actual[$j]}" = "${expected[$i]}" ] || return 1
        i=$((i + 1))
        j=$((j + 1))
    done
    [ "$j" -eq "${#actual[@]}" ]
}

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# Runs the example gathered so far (command in $command, expected lines in $scratch/expected).
run_example() {
    [ -n "$command" ] || return 0
    examples=$((examples + 1))
    local run=${command//build\/release\//$binary_dir/}
    (cd "$source_dir" && bash -c "$run") >"$scratch/actual" 2>"$scratch/errors"
    local status=$?
    if [ "$status" -ne 0 ] || ! matches "$scratch/actual" "$scratch/expected"; then
        failures=$((failures + 1))
        echo "FAILED: $where: \$ $command (status $status)"
        echo "--- expected"; cat "$scratch/expected"
        echo "--- printed"; cat "$scratch/actual"
        echo "--- standard error"; cat "$scratch/errors"
    fi
    command=""
}

readme_examples=0
for file in "$source_dir/README.md" "$source_dir"/docs/*.md; do
    [ -f "$file" ] || continue
    command=""
    number=0
    while IFS= read -r line || [ -n "$line" ]; do
        number=$((number + 1))
        if [[ "$line" == "    \$ "* ]]; then
            run_example
            command=${line#    \$ }
            where="${file#"$source_dir"/}:$number"
            : >"$scratch/expected"
        elif [ -n "$command" ] && [[ "$line" == "    "* ]]; then
            printf '%s\n' "${line#    }" >>"$scratch/expected"
        else
            run_example
        fi
    done <"$file"
    run_example
    [ "$file" = "$source_dir/README.md" ] && readme_examples=$examples
done

# The README shows the script example and the tool's help: losing them is drift too.
if [ "$readme_examples" -lt 2 ]; then
    echo "FAILED: README.md shows $readme_examples examples, fewer than its script example and vornel help"
    failures=$((failures + 1))
fi
echo "$examples examples, $failures failed"
[ "$failures" -eq 0 ]
