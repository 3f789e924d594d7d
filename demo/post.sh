#!/bin/sh
# Demo post program: shows what brimvel handed over. A real one would place
# the file into the named file area.
echo "    post.sh received $# argument(s):"
for argument in "$@"; do
  echo "      [$argument]"
done
