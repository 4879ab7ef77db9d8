# Sourced by the peer comparisons once root is set: builds the optimised programs into $bin, names
# the real ImageMagick (whatever else is first on PATH) and moves into a work folder of their own,
# removed at exit.
"$root/scripts/build" --bench >/dev/null
bin=$root/build/bin
magick=/usr/bin/convert

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
