"""Writes a FoxPro table with memo fields through python-dbf, for the engine to read."""
import datetime
import sys

import dbf

table = dbf.Table(sys.argv[1], 'NAME C(20); OK L; SENT D; PAGES N(5,0); AMOUNT N(8,2); NOTE M',
                  dbf_type='fp', codepage='cp1252')
table.open(dbf.READ_WRITE)
table.append(('Smith', True, datetime.date(2024, 3, 5), 12, -3.5, 'Hello\r\nWorld'))
table.append(('Lee', False, datetime.date(1999, 12, 31), 7, 0, ''))
table.append(('Nobody', None, None, None, None, None))
table.append(('Caf\xe9', True, datetime.date(2000, 2, 29), 99999, 12345.67, 'x' * 3000))
dbf.delete(table[1])
table.close()
