#!/usr/bin/python3
"""What a screen reader gets over AT-SPI from Velmora's window: run by
tst_atspi.sh inside its own X server and D-Bus session."""
import sys
import time

import pyatspi


def find_app(name, seconds=8):
    end = time.time() + seconds
    while time.time() < end:
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == name:
                return app
        time.sleep(0.2)
    return None


def walk(node, found):
    try:
        found.append((node.getRoleName(), node.name, node.description))
        for child in node:
            if child is not None:
                walk(child, found)
    except Exception:
        pass


app = find_app('Velmora')
if app is None:
    print('FAIL: velmora is not on the accessibility bus:', [a.name for a in pyatspi.Registry.getDesktop(0) if a is not None])
    sys.exit(1)
controls = []
walk(app, controls)
names = {name: (role, description) for role, name, description in controls}
expected = ['Survey Questions', 'Page Title', 'Name', 'Email', 'Background Image',
            'Save Results To This Folder', 'Message', 'Help', 'Choose Background Image',
            'Choose Folder To Save Results', 'Load Sample/Example Survey', 'Start Creating Survey']
missing = [name for name in expected if name not in names]
if missing:
    print('FAIL: no control named', missing, 'among', sorted(n for _, n, _ in controls if n))
    sys.exit(1)
if '[r] a) Yes' not in names['Survey Questions'][1]:
    print('FAIL: the questions box is not described:', names['Survey Questions'])
    sys.exit(1)
for box in ('Name', 'Email'):
    if "every respondent's" not in names[box][1]:
        print('FAIL: the %s box does not say the page fills it in for respondents:' % box,
              names[box])
        sys.exit(1)
unnamed = [role for role, name, _ in controls if role in ('push button', 'text') and not name]
if unnamed or '...' in names:
    print('FAIL: unnamed controls', unnamed)
    sys.exit(1)
print('atspi: %d controls, every one named; the questions box describes the markup, '
      'Name and Email what they fill in' % len(controls))
