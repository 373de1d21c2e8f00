"""Independent DBF peers for the table's tests.

  dbf_peer.py write PATH              writes the sample table with python3-dbf
                                      (CP866)
  dbf_peer.py write-text PATH CP T... writes a table of one field NAME C(10)
                                      with python3-dbf in code page CP
                                      (cp866, cp1251, cp1252, ...), one
                                      record per text T
  dbf_peer.py read PATH [ENCODING]    prints the field names, then every live
                                      record read by dbfread (CP866 unless
                                      ENCODING says otherwise; "auto": the
                                      one the language-driver byte names),
                                      one line per record, fields separated
                                      by '|'

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


def write_text(path, codepage, texts):
    try:
        import dbf
    except ImportError:
        sys.exit(3)
    t = dbf.Table(path, 'NAME C(10)', codepage=codepage)
    t.open(dbf.READ_WRITE)
    for text in texts:
        t.append((text,))
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


def read(path, encoding='cp866'):
    try:
        import dbfread
    except ImportError:
        sys.exit(3)
    table = dbfread.DBF(path, encoding=None if encoding == 'auto' else encoding, char_decode_errors='strict')
    out = sys.stdout.buffer
    out.write(('|'.join(table.field_names) + '\n').encode('utf-8'))
    for record in table:
        out.write(('|'.join(show(v) for v in record.values()) + '\n').encode('utf-8'))


if __name__ == '__main__':
    command, path = sys.argv[1], sys.argv[2]
    if command == 'write':
        write(path)
    elif command == 'write-text':
        write_text(path, sys.argv[3], sys.argv[4:])
    else:
        read(path, *sys.argv[3:4])
