"""Prints every record of a table as python-dbf reads it: one line, fields joined by '|'."""
import sys

import dbf

table = dbf.Table(sys.argv[1])
table.open(dbf.READ_ONLY)
for record in table:
    values = ['*' if dbf.is_deleted(record) else ' ']
    for name in table.field_names:
        value = record[name]
        if value is None:
            value = ''
        elif isinstance(value, str):
            value = value.rstrip(' ').replace('\r', '\\r').replace('\n', '\\n')
        elif hasattr(value, 'isoformat'):
            value = value.isoformat()
        values.append(str(value))
    print('|'.join(values))
table.close()
