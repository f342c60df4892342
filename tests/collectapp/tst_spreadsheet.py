#!/usr/bin/python3
"""The answers as a table for spreadsheets, read back by LibreOffice (headless):
every cell exactly as the respondent typed it, formulas kept as text, one
column per question with the options' words; the workbook's header row frozen
and its columns sized.

usage: tst_spreadsheet.py VELMORA_COLLECT WRITE_SAMPLE_SURVEY PICTURE
"""
import csv
import io
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import urllib.parse
import urllib.request
import zipfile

collect, write_sample, picture = sys.argv[1:4]
PAGE = 'My%20Product%20Survey.htm'

# What respondents typed in the name box and the two text questions: what a
# spreadsheet would run or change, and every kind of character.
TYPED = [
    ('=1+1', '+SUM(A1:A9)', '-2+3'),
    ('@cmd', '0012', '1/2'),
    ('TRUE', '1e5', "'quoted"),
    ('\u00a0no-break\u00a0', '\U0001F600 \u05e9\u05dc\u05d5\u05dd', 'line one\nline two'),
    ('  spaces  ', '\u200b\u2028', 'x' * 20000),
]


def main():
    if not shutil.which('soffice'):
        print('skipped: LibreOffice is not installed (scripts/deps.sh installs it)')
        return 0
    folder = tempfile.mkdtemp()
    subprocess.run([write_sample, folder, picture], check=True)
    with socket.socket() as s:
        s.bind(('127.0.0.1', 0))
        port = s.getsockname()[1]
    server = subprocess.Popen([collect, folder, '--port', str(port), '--local', '--quiet'],
                              stdout=subprocess.PIPE, text=True)
    try:
        server.stdout.readline()
        base = f'http://127.0.0.1:{port}/'
        for name, product, comment in TYPED:
            body = urllib.parse.urlencode({'_charset_': 'UTF-8', 'UserName': name, '1': product,
                                           '2': 'b) Maybe', '3) a)': 'a) Good', '3) b)': 'on',
                                           '4': comment}).encode()
            urllib.request.urlopen(base + PAGE, body).read()
        with open(os.path.join(folder, '.velmora-results-token')) as f:
            results = base + 'results/' + f.read().strip() + '/'
        workbook = urllib.request.urlopen(results + 'My%20Product%20Survey%20table.xlsx').read()
        table = urllib.request.urlopen(results + 'My%20Product%20Survey%20table.csv').read()
    finally:
        server.terminate()
        server.wait(10)

    office = tempfile.mkdtemp()
    with open(os.path.join(office, 'table.xlsx'), 'wb') as f:
        f.write(workbook)
    # UTF-8, every text cell quoted, cells as shown.
    subprocess.run(['soffice', '--headless', '--convert-to',
                    'csv:Text - txt - csv (StarCalc):44,34,76,1,,0,true,true',
                    '--outdir', office, os.path.join(office, 'table.xlsx')],
                   check=True, capture_output=True, timeout=120,
                   env=dict(os.environ, HOME=office))
    with open(os.path.join(office, 'table.csv'), encoding='utf-8', newline='') as f:
        rows = list(csv.reader(f))
    header = rows[0]
    assert header[:4] == ['Received', 'Page made', 'Name', 'E-mail'], header
    assert header[4] == '1) What product did you test?' and header[-1] == 'Answer ID', header
    assert len(header) == 9, f'one column per question: {header}'
    assert len(rows) == 1 + len(TYPED), f'{len(rows) - 1} rows for {len(TYPED)} answers'
    for row, (name, product, comment) in zip(rows[1:], TYPED):
        got = (row[2], row[4], row[7])
        assert got == (name, product, comment), f'read back {got!r}, typed {(name, product, comment)!r}'
        assert row[5] == 'b) Maybe' and row[6] == 'a) Good; b) Average', row[5:7]
        assert len(row[0]) == 19 and row[0][10] == ' ', f'Received {row[0]!r}'

    # The same table as CSV: guarded as the answers file is, the same cells.
    lines = list(csv.reader(io.StringIO(table.decode('utf-8-sig'), newline='')))
    assert lines[0] == header, lines[0]
    for line, row in zip(lines[1:], rows[1:]):
        typed = [cell[1:] if cell.startswith("'") and cell[1:2] in "=+-@\t\r'" else cell
                 for cell in line]
        assert typed == row, f'the CSV says {line!r}, the workbook {row!r}'

    with zipfile.ZipFile(io.BytesIO(workbook)) as book:
        sheet = book.read('xl/worksheets/sheet1.xml').decode()
    assert 'ySplit="1"' in sheet and 'state="frozen"' in sheet, 'the header row is not frozen'
    assert '<col ' in sheet and 'customWidth="1"' in sheet, 'the columns have no width'
    print(f'spreadsheet: {len(TYPED)} answers read back by LibreOffice exactly, formulas as text; '
          'header row frozen, columns sized; the CSV holds the same cells')
    return 0


sys.exit(main())
