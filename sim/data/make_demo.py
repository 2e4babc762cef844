#!/usr/bin/env python3
"""Writes demo.json, the data moru-sim serves by default. Deterministic: rerun to regenerate."""
import json
import os
import random

rnd = random.Random(20261207)

PREFIX = "华中东南西北新金银宏恒信安泰盛达光明天海长城嘉兴龙凤万佳永丰"
MIDDLE = "科电通源能材医药化工建设汽车软件传媒食品机械环保物流纺织"
SUFFIX = ["科技", "股份", "集团", "电子", "实业", "控股", "发展", "能源"]


def name(used):
    while True:
        n = rnd.choice(PREFIX) + rnd.choice(PREFIX) + rnd.choice(MIDDLE) + rnd.choice(SUFFIX)
        if n not in used:
            used.add(n)
            return n


def price(lo, hi, tick):
    steps = int(round(rnd.uniform(lo, hi) / tick))
    return round(steps * tick, 3)


secs = []
used = set()


def add(code, nm, market, typ, pre, tick, lot, limit, **extra):
    s = {"code": code, "name": nm, "market": market, "type": typ, "preClose": pre, "tick": tick,
         "lot": lot, "limitPct": limit}
    s.update(extra)
    secs.append(s)


# Shanghai: main board, STAR, ETFs, bond/money ETFs, LOF, closed-end fund, convertible bonds,
# CDR, reverse repo; one stock under a tender offer.
for i in range(90):
    add("%06d" % (600000 + i * 3), name(used), "1", 1, price(3, 60, 0.01), 0.01, 100, 0.10)
for i in range(40):
    add("%06d" % (688001 + i * 2), name(used) [:3] + "微", "1", 8, price(15, 200, 0.01), 0.01, 200, 0.20)
for i, idx in enumerate(["上证50", "沪深300", "中证500", "科创50", "红利", "证券", "半导体", "医药"]):
    add("%06d" % (510050 + i * 10), idx + "ETF", "1", 18, price(0.8, 5, 0.001), 0.001, 100, 0.10,
        etfUnit=10000)
add("511880", "银华日利ETF", "1", 19, price(100, 101, 0.001), 0.001, 100, 0.10, etfUnit=1000)
add("511010", "国债ETF", "1", 20, price(120, 130, 0.001), 0.001, 100, 0.10, etfUnit=1000)
add("501050", "华夏50LOF", "1", 23, price(1, 3, 0.001), 0.001, 100, 0.10)
add("505888", "嘉实元和", "1", 24, price(0.9, 1.2, 0.001), 0.001, 100, 0.10)
for i in range(6):
    add("%06d" % (113001 + i), name(used)[:2] + "转债", "1", 3, price(100, 140, 0.001), 0.001, 10, 0.20)
add("689009", "九号公司CDR", "1", 22, price(30, 50, 0.01), 0.01, 200, 0.20)
add("204001", "GC001", "1", 17, 1.8, 0.005, 1000, 0.0, parValue=100)
add("600999", "招商要约", "1", 1, 18.5, 0.01, 100, 0.10, offerorCode="706001")

# Shenzhen: main board, ChiNext, ETFs, LOF, closed-end, convertible bonds, CDR, reverse repo, warrant.
for i in range(90):
    add("%06d" % (1 + i * 3), name(used), "2", 1, price(3, 60, 0.01), 0.01, 100, 0.10)
for i in range(40):
    add("%06d" % (300001 + i * 2), name(used)[:3] + "创", "2", 14, price(10, 150, 0.01), 0.01, 100, 0.20)
for i, idx in enumerate(["深证100", "创业板", "深红利", "中小100", "新能车", "芯片"]):
    add("%06d" % (159901 + i * 2), idx + "ETF", "2", 18, price(0.8, 5, 0.001), 0.001, 100, 0.10,
        etfUnit=10000)
add("160105", "南方积配LOF", "2", 23, price(1, 2, 0.001), 0.001, 100, 0.10)
add("184721", "基金丰和", "2", 24, price(0.9, 1.2, 0.001), 0.001, 100, 0.10)
for i in range(6):
    add("%06d" % (123001 + i), name(used)[:2] + "转债", "2", 3, price(100, 140, 0.001), 0.001, 10, 0.20)
add("300999", "创业CDR", "2", 22, price(20, 40, 0.01), 0.01, 100, 0.20)
add("131810", "R-001", "2", 17, 1.9, 0.001, 10, 0.0, parValue=100)
add("031001", "华能认购权证", "2", 27, 1.25, 0.001, 100, 0.0, exercisePrice=5.6, underlying="000001")

by_market = {"1": [s for s in secs if s["market"] == "1" and s["type"] in (1, 8, 18)],
             "2": [s for s in secs if s["market"] == "2" and s["type"] in (1, 14, 18)]}


def positions(market, count, extra):
    out = []
    for s in rnd.sample(by_market[market], count):
        qty = rnd.choice([1000, 2000, 5000, 10000]) if s["type"] != 18 else 20000
        out.append({"code": s["code"], "qty": qty, "cost": round(s["preClose"] * rnd.uniform(0.85, 1.1), 3)})
    for code, qty in extra:
        pre = next(s["preClose"] for s in secs if s["code"] == code)
        out = [p for p in out if p["code"] != code]
        out.append({"code": code, "qty": qty, "cost": pre})
    return out


accounts = [
    {"account": "10880001", "password": "123456", "name": "演示账户一", "nodes": [6, 7],
     "markets": {"1": {"orgCode": "0101", "capital": 5000000.0,
                       "positions": positions("1", 12, [("600999", 10000), ("510050", 50000)])},
                 "2": {"orgCode": "0201", "capital": 3000000.0,
                       "positions": positions("2", 12, [("031001", 10000), ("159901", 50000)])}}},
    {"account": "10880002", "password": "654321", "name": "演示账户二", "nodes": [6],
     "markets": {"1": {"orgCode": "0101", "capital": 800000.0, "positions": positions("1", 5, [])},
                 "2": {"orgCode": "0201", "capital": 600000.0, "positions": positions("2", 5, [])}}},
    {"account": "10880003", "password": "111111", "name": "仅沪市账户", "nodes": [6],
     "markets": {"1": {"orgCode": "0101", "capital": 100000.0, "positions": []}}},
]

# Drawn after everything random above, so adding them leaves the rest of the data as it was.
add("500018", "基金兴和", "1", 2, 1.052, 0.001, 100, 0.10)
add("601998", "中宏存托CDR", "1", 21, 42.5, 0.01, 100, 0.10)

out = {"tradingDay": "20261207", "seed": 7, "securities": secs, "accounts": accounts}
path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "demo.json")
with open(path, "w", encoding="utf-8") as f:
    json.dump(out, f, ensure_ascii=False, indent=1)
print(path, len(secs), "securities")
