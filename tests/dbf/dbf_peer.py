"""Independent DBF peers for the table's tests.

  dbf_peer.py write PATH   writes the sample table with python3-dbf (CP866)
  dbf_peer.py read PATH    prints every live record read by dbfread (CP866),
                           one line per record, fields separated by '|'

Exit status 3 means the peer module is not installed.
"""
import datetime
import sys


def write(path):
    try:
        import dbf
    except ImportError:
        sys.exit(3)
    t = dbf.Table(path, 'NAME C(20); BORN D; SUM N(18,2); CNT N(5,0); OK L', codepage='cp866')
    t.open(dbf.READ_WRITE)
    t.append(('Иван Петров', datetime.date(2024, 1, 31), 3.14, 42, True))
    t.append(('', None, None, None, None))
    t.append(('  x  ', datetime.date(1999, 12, 1), -12345.5, -7, False))
    t.close()


def show(value):
    if value is None:
        return 'NULL'
    if isinstance(value, bool):
        return 'T' if value else 'F'
    if isinstance(value, (int, float)):
        return format(value, '.10g')
    if isinstance(value, datetime.date):
        return value.isoformat()
    return str(value).strip()


def read(path):
    try:
        import dbfread
    except ImportError:
        sys.exit(3)
    table = dbfread.DBF(path, encoding='cp866', char_decode_errors='strict')
    out = sys.stdout.buffer
    for record in table:
        out.write(('|'.join(show(v) for v in record.values()) + '\n').encode('utf-8'))


if __name__ == '__main__':
    {'write': write, 'read': read}[sys.argv[1]](sys.argv[2])
