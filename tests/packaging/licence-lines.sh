#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Every source file of the tree names its licence in an SPDX line, and the
# package's copyright file is in Debian's machine-readable format with that
# licence. Fails naming each file without the line.
set -u
src=${1:?usage: licence-lines.sh SOURCE_DIR}
cd "$src" || exit 1
missing=0
while IFS= read -r -d '' f; do
    if ! head -n 3 "$f" | grep -q 'SPDX-License-Identifier: GPL-3.0-or-later'; then
        echo "no licence line: $f"
        missing=$((missing + 1))
    fi
done < <(find . \( -path ./.git -o -path './build*' -o -path ./course \) -prune -o -type f \
    \( -name '*.cpp' -o -name '*.h' -o -name '*.sh' -o -name '*.py' -o -name '*.sql' \
       -o -name CMakeLists.txt -o -name '*.cmake' -o -path './scripts/*' \) -print0)
head -n 1 packaging/copyright | grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' \
    || { echo "packaging/copyright is not in the machine-readable format"; missing=$((missing + 1)); }
grep -q '^License: GPL-3.0-or-later$' packaging/copyright \
    || { echo "packaging/copyright names no GPL-3.0-or-later licence"; missing=$((missing + 1)); }
grep -q '<project_license>GPL-3.0-or-later</project_license>' packaging/org.coursebook.Coursebook.metainfo.xml \
    || { echo "the AppStream metadata names no project licence"; missing=$((missing + 1)); }
[ "$missing" -eq 0 ] && echo "every source file names its licence"
[ "$missing" -eq 0 ]
