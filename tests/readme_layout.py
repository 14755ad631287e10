#!/usr/bin/env python3
"""The README's code layout names every file under src/ and tools/, so a newcomer can find
where a thing lives; a file added without its line fails here."""
import fnmatch
import os
import re
import sys

root = sys.argv[1]
readme = open(os.path.join(root, 'README.md'), encoding='utf-8').read()
section = readme.split('## Code layout', 1)[1].split('\n## ', 1)[0]
words = set(re.findall(r'[\w./*-]+', section))
words |= {w[:-len('/.h')] for w in words if w.endswith('/.h')}  # "name.cpp/.h"
globs = [w for w in words if '*' in w]
# Folders whose files are data, named by the folder's own line.
data_dirs = ('tools/fuzz/corpus/', 'tools/bench/data/')


def named(path):
    area, rel = path.split('/', 1)
    stem, ext = os.path.splitext(rel)
    if rel in words or any(fnmatch.fnmatch(rel, g) for g in globs):
        return True
    # "name.cpp, .h" and "name.cpp/.h" name the header with its source.
    pair = re.escape(stem + '.cpp') + r'(, |/)\.h\b'
    return ext == '.h' and re.search(pair, section) is not None


missing = []
for area in ('src', 'tools'):
    for folder, _, files in os.walk(os.path.join(root, area)):
        for f in files:
            path = os.path.relpath(os.path.join(folder, f), root)
            if path.startswith(data_dirs) or f.endswith('.pyc'):
                continue
            if not named(path):
                missing.append(path)
for path in sorted(missing):
    print('README.md, Code layout: no line for %s' % path)
sys.exit(1 if missing else 0)
