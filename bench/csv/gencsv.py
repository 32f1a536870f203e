#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
# SPDX-License-Identifier: MIT

"""Writes a CSV of about SIZE_MB megabytes, LF line ends, no byte-order mark, the same bytes on
every run. KIND is one of:

mixed     10 columns of mixed ASCII and Chinese text, some cells quoted (delimiters and quotes
          inside), drawn from a pool of 20,000 rows.
orders    an order export with a header row: a unique order number and amount, about 20,000
          customers, 300 cities, 2,000 products, 5 states, 336 dates and a mostly empty note,
          now and then quoted for a comma or a quote inside.
dozen     a running number, then 9 columns each drawn from the same dozen words.
distinct  10 columns whose cells are all different from each other."""
import csv
import random
import sys

kind, path, size_mb = sys.argv[1], sys.argv[2], float(sys.argv[3])
limit = int(size_mb * 1e6)
words = ["alpha", "beta", "gamma", "delta", "omega", "data", "table", "value", "report", "north"]
hanzi = ["数据", "表格", "文件", "名称", "数量", "单位", "北京", "上海", "测试", "价格", "日期", "备注"]


def write_batches(batches):
    """Writes the batches of rows `batches` yields until the file holds about SIZE_MB."""
    with open(path, "w", encoding="utf-8", newline="") as out:
        writer = csv.writer(out, lineterminator="\n")
        for batch in batches:
            writer.writerows(batch)
            if out.tell() >= limit:
                return


def mixed_rows():
    rng = random.Random(20240601)

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
    pool = [[cell(c) for c in range(10)] for _ in range(20000)]
    while True:
        yield [rng.choice(pool) for _ in range(10000)]


def distinct_names(rng, count, make):
    names = set()
    while len(names) < count:
        names.add(make())
    return sorted(names)


def order_rows():
    rng = random.Random(20240607)
    surnames = "王李张刘陈杨黄赵吴周徐孙马朱胡郭何高林罗郑梁谢宋唐许韩冯邓曹彭曾肖田董袁潘于蒋蔡余杜叶程苏魏吕丁任沈"
    given = "伟芳娜敏静丽强磊军洋勇艳杰娟涛明超秀霞平刚桂英华玉兰红建文辉志国春晓雪松林海波宁斌凯鹏飞"
    trade = ["商贸", "科技", "实业", "电子", "贸易", "物流", "建材", "食品", "服饰", "医药"]
    places = "东西南北中安宁江山河湖海川平阳泉州德华兴昌龙沙清远新长"

    def customer():
        if rng.random() < 0.3:
            return rng.choice(places) + rng.choice(places) + rng.choice(trade) + "有限公司"
        return rng.choice(surnames) + "".join(rng.choice(given) for _ in range(rng.randrange(1, 3)))

    customers = distinct_names(rng, 20000, customer)
    cities = distinct_names(rng, 300, lambda: rng.choice(places) + rng.choice(places) + "市")
    goods = ["保温杯", "数据线", "笔记本", "文件夹", "打印纸", "显示器", "键盘", "鼠标", "台灯", "插座"]
    products = ["P%05d %s %s" % (i, rng.choice(goods), rng.choice(["标准", "加厚", "大号", "M", "XL"]))
                for i in range(10000, 12000)]
    states = ["待付款", "已付款", "已发货", "已完成", "已取消"]
    dates = ["2024-%02d-%02d" % (month, day) for month in range(1, 13) for day in range(1, 29)]
    quantities = [str(q) for q in range(1, 20)]
    notes = ["加急", "请开发票", "周末送货", "联系前先电话", "放门卫"]
    yield [["订单号", "下单日期", "客户", "城市", "商品", "数量", "状态", "金额", "备注"]]
    number = 20240000000
    while True:
        # Drawn a column at a time, which is far quicker than a row at a time.
        n = 10000
        numbers = []
        for step in rng.choices(range(1, 4), k=n):
            number += step
            numbers.append("SO%d" % number)
        note_rows = []
        for r in (rng.random() for _ in range(n)):
            if r < 0.8:
                note_rows.append("")
            elif r < 0.95:
                note_rows.append(rng.choice(notes))
            elif r < 0.98:
                note_rows.append(rng.choice(notes) + "，" + rng.choice(notes) + ", " + rng.choice(notes))
            else:
                note_rows.append('客户说"' + rng.choice(notes) + '"')
        amounts = ["%d.%02d" % (rng.randrange(1, 100_000), rng.randrange(100)) for _ in range(n)]
        yield list(zip(numbers, rng.choices(dates, k=n), rng.choices(customers, k=n),
                       rng.choices(cities, k=n), rng.choices(products, k=n),
                       rng.choices(quantities, k=n), rng.choices(states, k=n), amounts, note_rows))


def dozen_rows():
    rng = random.Random(20240608)
    dozen = words + ["south", "east"]
    number = 0
    while True:
        n = 10000
        columns = [rng.choices(dozen, k=n) for _ in range(9)]
        yield [[str(number + i + 1)] + [column[i] for column in columns] for i in range(n)]
        number += n


def distinct_rows():
    rng = random.Random(20240609)
    prefixes = [w[:k] for w in words for k in range(1, 6)]
    number = 0
    while True:
        n = 10000
        tails = rng.choices(prefixes, k=n * 10)
        # The row number in every cell keeps the cells apart; the rest gives them varied lengths.
        yield [["%x-%s%d" % (number + i, tails[i * 10 + c], c) for c in range(10)] for i in range(n)]
        number += n


write_batches({"mixed": mixed_rows, "orders": order_rows, "dozen": dozen_rows,
            "distinct": distinct_rows}[kind]())
