#!/usr/bin/env python3
"""A driver-sized tree of mixed files for the cabinet benchmarks, the same on every run.

    bench/generate_payload.py FOLDER FILES MEGABYTES

Most files small, a few large (Pareto sizes from a fixed seed); half of the files text-like, half
random, so the inflater has real work on both kinds. Spread over 40 folders of 3 sub-folders.
"""
import os
import random
import sys

folder, count, total = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]) * 1024 * 1024
rng = random.Random(1234)
weights = [rng.paretovariate(1.2) for _ in range(count)]
scale = total / sum(weights)
words = b"driver inf sys catalog device wireless adapter setup version install ".split()
for i, weight in enumerate(weights):
    size = max(1, int(weight * scale))
    sub = os.path.join(folder, "dir%02d" % (i % 40), "sub%d" % (i % 3))
    os.makedirs(sub, exist_ok=True)
    if i % 2:
        data = os.urandom(size)
    else:
        data = b" ".join(rng.choice(words) for _ in range(size // 6 + 1))[:size]
    with open(os.path.join(sub, "file%04d.bin" % i), "wb") as f:
        f.write(data)
