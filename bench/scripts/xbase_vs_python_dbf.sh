#!/usr/bin/env bash
# Walks the benchmark's 100,000-record QOB.DBF in DATESENT order with our engine and with
# python-dbf (which builds its own index in memory), reading SUBJECT and RECIPIENT of each record.
set -euo pipefail
BUILD=${BUILD:-build-bench}
bench="$BUILD/bench/xbase_bench"
[ -x "$bench" ] || { echo "xbase_vs_python_dbf: $bench not built (make bench)"; exit 1; }
table="${TMPDIR:-/tmp}/tolvane-xbase-bench/QOB.DBF"

ours_ms=$("$bench" --benchmark_filter='BM_OpenAndWalkInIndexOrder' --benchmark_format=json 2>/dev/null |
  /usr/bin/python3 -c 'import json,sys; b=json.load(sys.stdin)["benchmarks"][0]; print("%.1f" % b["real_time"])')

python_ms=$(/usr/bin/python3 - "$table" <<'PY'
import sys, time
import dbf
start = time.perf_counter()
table = dbf.Table(sys.argv[1])
table.open(dbf.READ_ONLY)
index = table.create_index(lambda r: dbf.DoNotIndex if dbf.is_deleted(r) else (r.datesent or dbf.Date.min, r.timesent))
total = 0
for record in reversed(index):
    total += len(record.subject.rstrip()) + len(record.recipient.rstrip())
table.close()
print("%.1f" % ((time.perf_counter() - start) * 1000))
PY
)
echo "open and walk 100,000 records in DATESENT order: ours ${ours_ms} ms, python-dbf ${python_ms} ms"
/usr/bin/python3 -c "r = $python_ms / $ours_ms; print('ours is %.0f times faster' % r); raise SystemExit(0 if r >= 10 else 1)"
