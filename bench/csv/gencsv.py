#!/usr/bin/env python3
"""Writes a CSV of about SIZE_MB megabytes: 10 columns of mixed ASCII and Chinese text, some
cells quoted (delimiters and quotes inside), LF line ends, no byte-order mark."""
import csv
import random
import sys

path, size_mb = sys.argv[1], float(sys.argv[2])
rng = random.Random(20240601)
words = ["alpha", "beta", "gamma", "delta", "omega", "data", "table", "value", "report", "north"]
hanzi = ["数据", "表格", "文件", "名称", "数量", "单位", "北京", "上海", "测试", "价格", "日期", "备注"]

def cell(column):
    kind = column % 5
    if kind == 0:
        return str(rng.randrange(1, 10_000_000))
    if kind == 1:
        return "%d.%02d" % (rng.randrange(0, 100_000), rng.randrange(100))
    if kind == 2:
        return " ".join(rng.choice(words) for _ in range(rng.randrange(1, 4)))
    if kind == 3:
        return "".join(rng.choice(hanzi) for _ in range(rng.randrange(1, 5)))
    # Mixed text, now and then with a delimiter or a quote that forces quoting.
    r = rng.random()
    text = rng.choice(words) + rng.choice(hanzi)
    if r < 0.1:
        return text + ", " + rng.choice(hanzi)
    if r < 0.15:
        return 'say "' + rng.choice(words) + '"'
    return text

# A pool of distinct rows, drawn at random, keeps generation quick.
pool = []
writer_rows = []
limit = int(size_mb * 1e6)
with open(path, "w", encoding="utf-8", newline="") as out:
    writer = csv.writer(out, lineterminator="\n")
    for _ in range(20000):
        pool.append([cell(c) for c in range(10)])
    written = 0
    batch = []
    while written < limit:
        row = rng.choice(pool)
        batch.append(row)
        if len(batch) == 10000:
            start = out.tell()
            writer.writerows(batch)
            written = out.tell()
            batch = []
    if batch:
        writer.writerows(batch)
