#!/usr/bin/env python3
"""Reads two window-bench result folders (the window's, the minimal reader's) and prints the
figures side by side, one line each: figure|window|minimal reader|goal|met."""
import json
import statistics
import sys


def load(folder):
    with open(f'{folder}/results.json') as f:
        return json.load(f)['results']


def med(values):
    values = [v for v in values if v is not None]
    return statistics.median(values) if values else None


def pooled_p95(runs):
    rts = sorted(rt for r in runs if r.get('pings')
                 for t0, rt in r['pings'] if 0 <= t0 < (r.get('drain_s') or r['t_stop_rel'])
                 if rt is not None)
    return 1000 * rts[min(len(rts) - 1, round(0.95 * (len(rts) - 1)))] if rts else None


def figures(res):
    a, b10, b100 = res.get('A', []), res.get('B10MB', []), res.get('B100MB', [])
    mb = lambda r, n: n / r['drain_s'] if r.get('drain_s') else None
    return {
        'cpu': med([r.get('cpu_pct') for r in a]),
        'flood': med([mb(r, 10) for r in b10]),
        'ping': pooled_p95(b10),
        'rss10': med([r['rss_kb_after'] / 1024 for r in b10 if r.get('rss_kb_after')]),
        'rss100': med([r['rss_kb_after'] / 1024 for r in b100 if r.get('rss_kb_after')]),
    }


def fmt(x, unit, nd=1):
    return '-' if x is None else f'{x:.{nd}f} {unit}'


w, m = figures(load(sys.argv[1])), figures(load(sys.argv[2]))
rows = [
    ('Processor share at 9600 baud', fmt(w['cpu'], '%', 2), fmt(m['cpu'], '%', 2),
     '<= 1 %', w['cpu'] is not None and w['cpu'] <= 1),
    ('10 MB flood drained', fmt(w['flood'], 'MB/s'), fmt(m['flood'], 'MB/s'), '>= 20 MB/s',
     w['flood'] is not None and w['flood'] >= 20),
    ('Ping during the flood, 95th percentile', fmt(w['ping'], 'ms'), fmt(m['ping'], 'ms'),
     '<= 20 ms', w['ping'] is not None and w['ping'] <= 20),
    ('Resident memory, 10 / 100 MB',
     f"{fmt(w['rss10'], '')}/ {fmt(w['rss100'], 'MB')}",
     f"{fmt(m['rss10'], '')}/ {fmt(m['rss100'], 'MB')}", '< 60 MB, flat',
     w['rss100'] is not None and w['rss100'] < 60 and w['rss100'] <= 1.1 * w['rss10']),
]
for r in rows:
    print('|'.join(r[:4]) + '|' + ('met' if r[4] else 'missed'))
