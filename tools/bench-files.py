#!/usr/bin/env python3
"""bench-files.py FOLDER MEGABYTES: copies about MEGABYTES of mixed real files (headers,
Python modules, message catalogues, Wine's data, documentation, compiler files: thousands of
entries) into FOLDER, for the install and packing benchmarks. Only names every installer here
writes (plain ASCII, no device names, unique case ignored)."""
import os, re, shutil, sys
out, budget = sys.argv[1], int(sys.argv[2]) * 1024 * 1024
sources = ["/usr/include", "/usr/lib/python3.11", "/usr/share/locale", "/usr/share/wine",
           "/usr/share/doc", "/usr/lib/gcc"]
share = budget // len(sources)
ok = re.compile(r"^[A-Za-z0-9_.+-]+$")
reserved = re.compile(r"^(con|prn|aux|nul|com[1-9]|lpt[1-9])(\..*)?$", re.I)
seen, total, count = set(), 0, 0
for src in sources:
    used = 0
    for base, dirs, files in os.walk(src):
        dirs.sort()
        for f in sorted(files):
            p = os.path.join(base, f)
            if os.path.islink(p) or not os.path.isfile(p):
                continue
            rel = os.path.relpath(p, "/")
            parts = rel.split("/")
            if not all(ok.match(x) and not reserved.match(x) and not x.endswith(".") for x in parts):
                continue
            if len(rel) > 200 or rel.lower() in seen:
                continue
            size = os.path.getsize(p)
            if used + size > share:
                continue
            seen.add(rel.lower())
            dst = os.path.join(out, rel)
            os.makedirs(os.path.dirname(dst), exist_ok=True)
            shutil.copy2(p, dst)
            used += size
            total += size
            count += 1
print(f"{count} files, {total / 1048576:.1f} MB")
