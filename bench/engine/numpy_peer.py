#!/usr/bin/python3
"""numpy's business-day functions on the questions bench_engine asks.

Reads the JSON that bench_engine wrote in the same run (--benchmark_out),
builds the same Japanese-style calendar as a numpy busdaycalendar (Saturdays
and Sundays off, the same yearly holidays, a holiday on a Sunday also taking
the Monday, the year-end break), times numpy on the same work in CPU time,
and prints the ratios. The working-day counts of the two must agree.
"""
import datetime
import json
import sys
import time

import numpy as np

FIXED = [(1, 1), (1, 15), (2, 11), (2, 23), (3, 20), (4, 29), (5, 3), (5, 4), (5, 5), (7, 20),
         (8, 11), (9, 15), (9, 23), (10, 10), (11, 3), (11, 23), (12, 23)]
SUMMER = [(8, 13), (8, 14), (8, 15)]
SUNDAY = 6  # datetime.weekday()
EPOCH = datetime.date(1970, 1, 1)
JDN_1970 = 2440588


def holidays(first_year, last_year):
    days = set()
    for y in range(first_year, last_year + 1):
        for m, d in FIXED + SUMMER:
            day = datetime.date(y, m, d)
            days.add(day)
            if day.weekday() == SUNDAY:
                days.add(day + datetime.timedelta(days=1))
        start = datetime.date(y, 12, 29)
        for k in range(6):
            if start + datetime.timedelta(days=k) <= datetime.date(9999, 12, 31):
                days.add(start + datetime.timedelta(days=k))
    return np.array(sorted(days), dtype='datetime64[D]')


def from_jdn(jdn):
    return np.datetime64(EPOCH, 'D') + np.timedelta64(jdn - JDN_1970, 'D')


def cpu_ns(fn, repeat=5, number=3):
    best = None
    for _ in range(repeat):
        t = time.process_time_ns()
        for _ in range(number):
            result = fn()
        elapsed = (time.process_time_ns() - t) / number
        best = elapsed if best is None else min(best, elapsed)
    return best, result


def ours(path):
    with open(path) as f:
        report = json.load(f)
    scale = {'ns': 1.0, 'us': 1e3, 'ms': 1e6, 's': 1e9}
    best = {}
    for b in report['benchmarks']:
        if b.get('run_type') != 'iteration':
            continue
        ns = b['cpu_time'] * scale[b['time_unit']]
        best[b['name']] = min(ns, best.get(b['name'], ns))
        if b['name'].startswith('BM_DaysInRange'):
            best[b['name'] + ':workdays'] = b.get('workdays')
    return best


def main():
    mine = ours(sys.argv[1])
    cal = np.busdaycalendar(weekmask='1111100', holidays=holidays(1899, 2905))

    first = datetime.date(1900, 1, 1)
    jdn_first = (first - EPOCH).days + JDN_1970
    name = 'BM_DaysInRange/%d/%d' % (jdn_first, jdn_first + 366000)
    begin = np.datetime64(first, 'D')
    end = begin + np.timedelta64(366001, 'D')  # numpy's end is exclusive
    count_ns, count = cpu_ns(lambda: np.busday_count(begin, end, busdaycal=cal))

    rng = np.random.default_rng(2024)
    lo, hi = (datetime.date(1901, 1, 1) - EPOCH).days + 400, (datetime.date(2199, 12, 31) - EPOCH).days - 400
    dates = np.datetime64(EPOCH, 'D') + rng.integers(lo, hi, 100000).astype('timedelta64[D]')
    one = np.timedelta64(1, 'D')
    months = dates.astype('datetime64[M]').astype('datetime64[D]')
    rows = [
        ('busday_count 366001 days vs DaysInRange', count_ns, mine.get(name), 366001, 'day'),
        ('busday_offset(d + 1, 0) vs NextDay workday',
         cpu_ns(lambda: np.busday_offset(dates + one, 0, roll='forward', busdaycal=cal))[0],
         mine.get('BM_NextDay_Workday'), 100000, 'date'),
        ('busday_offset(d, 0) vs AdjustDate',
         cpu_ns(lambda: np.busday_offset(dates, 0, roll='forward', busdaycal=cal))[0],
         mine.get('BM_AdjustDate_Next'), 100000, 'date'),
        ('busday_offset(d, 19) vs DaysFromNow 20 workdays',
         cpu_ns(lambda: np.busday_offset(dates, 19, roll='forward', busdaycal=cal))[0],
         mine.get('BM_DaysFromNow_20Workdays'), 100000, 'date'),
        ('busday_offset(1st, 0) vs FirstInMonth workday',
         cpu_ns(lambda: np.busday_offset(months, 0, roll='forward', busdaycal=cal))[0],
         mine.get('BM_FirstInMonth_Workday'), 100000, 'date'),
    ]
    print('\nnumpy %s, calendar of %d holidays, vectorised over all dates at once' % (np.__version__, len(cal.holidays)))
    print('%-50s %14s %14s %10s' % ('pair', 'numpy ns/unit', 'ours ns/unit', 'ours/numpy'))
    for what, theirs, us, units, unit in rows:
        if us is None:
            print('%-50s %10.2f/%-4s %14s' % (what, theirs / units, unit, '(not measured)'))
            continue
        print('%-50s %10.3f/%-4s %10.3f/%-4s %9.1fx' % (what, theirs / units, unit, us / units, unit, us / theirs))
    workdays = mine.get(name + ':workdays')
    print('working days 1900-01-01 + 366000 days: numpy %d, ours %s%s' %
          (count, workdays, '' if workdays is None or int(workdays) == count else '  MISMATCH'))
    return 0 if workdays is None or int(workdays) == count else 1


if __name__ == '__main__':
    sys.exit(main())
