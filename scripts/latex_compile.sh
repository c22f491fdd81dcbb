#!/usr/bin/env bash
# Compiles the LaTeX that velmor-cli export writes with a real LaTeX engine:
# the sample documents, and documents typed at random (the keys of the random
# editing tests, complete or not).
#
#   scripts/latex_compile.sh VELMOR_CLI [DOCUMENTS]
#
# DOCUMENTS (default 100) random documents, all compiled as one file. Needs
# pdflatex (Debian: texlive-latex-base); without it the script says so and
# exits 77 (a skipped test for ctest). Exits 1 when any file does not
# compile, printing pdflatex's error; KEEP=1 keeps the files to look at.
set -euo pipefail

cli=${1:?usage: latex_compile.sh VELMOR_CLI [DOCUMENTS]}
documents=${2:-100}
cli=$(cd "$(dirname "$cli")" && pwd)/$(basename "$cli")
source_dir=$(cd "$(dirname "$0")/.." && pwd)

if ! command -v pdflatex > /dev/null; then
    echo "latex_compile: pdflatex is not installed, nothing compiled"
    exit 77
fi

work=$(mktemp -d)
trap '[ -n "${KEEP:-}" ] && echo "kept $work" || rm -rf "$work"' EXIT
cd "$work"

failed=0
compile() {
    local tex=$1
    if ! pdflatex -interaction=nonstopmode -halt-on-error "$tex" > "$tex.log" 2>&1; then
        echo "latex_compile: $2 does not compile:"
        grep -A4 '^!' "$tex.log" | head -20
        failed=1
    fi
}

count=0
for doc in "$source_dir"/examples/*.vlm; do
    name=$(basename "$doc" .vlm)
    "$cli" export "$doc" --format latex > "$name.tex"
    compile "$name.tex" "$doc"
    count=$((count + 1))
done

# Random typing, as the random editing tests type: one document each, their
# displays gathered into one file.
keys=('a' 'b' ' ' 'x' 'y' '1' '2' '.' 'e' '+' '-' '*' '/' '^' '@' '&' '|' '(' ')' '[' ']' '{{' '}'
      ',' '=' '<' '>' '?' '{Enter}' '{Left}' '{Right}' '{Back}' '{Del}' '{Home}' '{End}' '{sin}' '{log}'
      '{root}' '{union}' '{belongs}' '{True}' '{-Infinity}')
RANDOM=1
{
    printf '\\documentclass{article}\n\\usepackage{amsmath}\n\\begin{document}\n'
    for ((i = 0; i < documents; i++)); do
        script='{Click 10 10}'
        for ((k = 0; k < 40; k++)); do script+=${keys[RANDOM % ${#keys[@]}]}; done
        "$cli" run --save "doc$i.vlm" "$script" > /dev/null
        "$cli" export "doc$i.vlm" --format latex | sed -e '1,3d' -e '$d'
        count=$((count + 1))
    done
    printf '\\end{document}\n'
} > typed.tex
compile typed.tex "the typed documents"

echo "latex_compile: $count documents exported, $([ $failed = 0 ] && echo "all compile" || echo "some do not compile")"
exit $failed
