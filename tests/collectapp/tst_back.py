#!/usr/bin/python3
"""Back, as respondents press it, in Debian's Firefox ESR (headless, driven
over Marionette, its own remote protocol) and in Chromium (ChromeDriver):

- Back from each page that turns answers away (too long, not saved, busy)
  brings the form back filled in;
- Back from the thank-you page, a change and FINISHED is never dropped: the
  respondent is asked whether it corrects the answers sent, and the
  correction is stored;
- Enter in a one-line box sends nothing.

usage: tst_back.py VELMORA_COLLECT WRITE_SAMPLE_SURVEY PICTURE
"""
import csv
import fcntl
import io
import json
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import time

collect, write_sample, picture = sys.argv[1:4]
PAGE = '/My%20Product%20Survey.htm'
ELEMENT = 'element-6066-11e4-a52e-4f735466cecf'
VALUE = 'return document.getElementsByName(arguments[0])[0].value;'
# Each page that turns answers away, and the collector that shows it: one
# that stores, one that finds its answers file locked by another program, and
# one whose answer limit lets nothing through, and one that requires every
# question.
REFUSALS = [
    ('Too large', 'stores', 'document.getElementsByName("4")[0].value = "x".repeat(25000);'),
    ('Your answers were not saved', 'locked', ''),
    ('Busy, try again in a moment', 'busy', ''),
    # Every question required, and the browser's own check turned off.
    ('Some answers are missing', 'required', 'document.forms[0].noValidate = true;'),
]


def free_port():
    with socket.socket() as s:
        s.bind(('127.0.0.1', 0))
        return s.getsockname()[1]


class Marionette:
    """The few WebDriver commands this test needs, over Firefox's Marionette."""

    def __init__(self, port):
        deadline = time.time() + 60
        while True:
            try:
                self.sock = socket.create_connection(('127.0.0.1', port), timeout=30)
                break
            except OSError:
                if time.time() > deadline:
                    raise
                time.sleep(0.2)
        self.buffer = b''
        self.id = 0
        self.read()  # the greeting
        self.call('WebDriver:NewSession', {'capabilities': {}})

    def read(self):
        while b':' not in self.buffer:
            self.buffer += self.sock.recv(65536)
        length, _, rest = self.buffer.partition(b':')
        while len(rest) < int(length):
            rest += self.sock.recv(65536)
        self.buffer = rest[int(length):]
        return json.loads(rest[:int(length)])

    def call(self, command, parameters=None):
        self.id += 1
        message = json.dumps([0, self.id, command, parameters or {}]).encode()
        self.sock.sendall(str(len(message)).encode() + b':' + message)
        while True:
            reply = self.read()
            if reply[0] == 1 and reply[1] == self.id:
                if reply[2]:
                    raise RuntimeError(f'{command}: {reply[2]}')
                return reply[3]

    def get(self, url):
        self.call('WebDriver:Navigate', {'url': url})

    def script(self, source, *args):
        return self.call('WebDriver:ExecuteScript', {'script': source, 'args': list(args)})['value']

    def find(self, selector):
        return self.call('WebDriver:FindElement',
                         {'using': 'css selector', 'value': selector})['value']

    def click(self, selector):
        self.call('WebDriver:ElementClick', {'id': self.find(selector)[ELEMENT]})

    def type(self, selector, text):
        self.call('WebDriver:ElementSendKeys', {'id': self.find(selector)[ELEMENT], 'text': text})

    def back(self):
        self.call('WebDriver:Back')

    def url(self):
        return self.call('WebDriver:GetCurrentURL')['value']

    def source(self):
        return self.call('WebDriver:GetPageSource')['value']

    def quit(self):
        try:
            self.call('Marionette:Quit')
        except (OSError, RuntimeError):
            pass


class Chromium:
    """The same commands through Selenium's ChromeDriver."""

    def __init__(self):
        from selenium import webdriver
        from selenium.webdriver.chrome.service import Service
        from selenium.webdriver.common.by import By
        self.by = By
        options = webdriver.ChromeOptions()
        options.binary_location = '/usr/bin/chromium'
        for flag in ('--headless=new', '--no-sandbox', '--disable-gpu', '--no-first-run',
                     '--disable-background-networking', '--disable-component-update',
                     '--user-data-dir=' + tempfile.mkdtemp()):
            options.add_argument(flag)
        self.driver = webdriver.Chrome(service=Service('/usr/bin/chromedriver'), options=options)
        self.driver.set_page_load_timeout(20)

    def get(self, url):
        self.driver.get(url)

    def script(self, source, *args):
        return self.driver.execute_script(source, *args)

    def click(self, selector):
        self.driver.find_element(self.by.CSS_SELECTOR, selector).click()

    def type(self, selector, text):
        self.driver.find_element(self.by.CSS_SELECTOR, selector).send_keys(text)

    def back(self):
        self.driver.back()

    def url(self):
        return self.driver.current_url

    def source(self):
        return self.driver.page_source

    def quit(self):
        self.driver.quit()


def firefox():
    profile = tempfile.mkdtemp()
    port = free_port()
    with open(os.path.join(profile, 'user.js'), 'w') as prefs:
        prefs.write(f'user_pref("marionette.port", {port});\n'
                    'user_pref("browser.shell.checkDefaultBrowser", false);\n'
                    'user_pref("datareporting.policy.dataSubmissionEnabled", false);\n'
                    'user_pref("app.update.disabledForTesting", true);\n')
    process = subprocess.Popen(['firefox-esr', '--headless', '--marionette', '--no-remote',
                                '--profile', profile], stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    try:
        return Marionette(port), process
    except Exception:
        process.kill()
        raise


def wait_for(browser, test, what):
    deadline = time.time() + 20
    while not test():
        if time.time() > deadline:
            raise AssertionError(f'{what}; at {browser.url()}:\n{browser.source()[:2000]}')
        time.sleep(0.1)


def refused_and_back(name, browser, base, refusal, prepare=''):
    """FINISHED gets the page that says `refusal`; Back brings the form back filled."""
    browser.get(base + PAGE)
    browser.type('[name="1"]', 'kept')
    if prepare:
        browser.script(prepare)
    browser.click('button[value=FINISHED]')
    wait_for(browser, lambda: refusal in browser.source(), f'{name}: no page "{refusal}"')
    browser.back()
    wait_for(browser, lambda: PAGE in browser.url(), f'{name}: Back did not go back')
    time.sleep(0.5)
    restored = browser.script(VALUE, '1')
    assert restored == 'kept', f'{name}: after Back from "{refusal}" the box holds {restored!r}'


def respond(name, browser, bases, answers_file):
    base = bases['stores']
    browser.get(base + PAGE)
    browser.type('[name="1"]', 'kept')
    browser.type('[name=UserName]', '\ue007')  # Enter in a one-line box
    time.sleep(0.5)
    assert '?answered' not in browser.url(), f'{name}: Enter sent the survey'
    for refusal, where, prepare in REFUSALS:
        refused_and_back(name, browser, bases[where], refusal, prepare)
    # With its own check, the browser sends nothing while a required question is empty.
    browser.get(bases['required'] + PAGE)
    browser.type('[name="1"]', 'kept')
    browser.click('button[value=FINISHED]')
    time.sleep(0.5)
    assert browser.url().endswith(PAGE) and 'Some answers are missing' not in browser.source(), \
        f'{name}: the browser sent a survey with required questions empty'

    browser.get(base + PAGE)
    browser.type('[name="1"]', 'kept')
    browser.click('button[value=FINISHED]')
    wait_for(browser, lambda: '?answered=' in browser.url(), f'{name}: not saved')
    # Back from the thank-you page, a change, FINISHED.
    browser.back()
    wait_for(browser, lambda: browser.url().endswith(PAGE), f'{name}: Back did not go back')
    time.sleep(0.5)
    restored = browser.script(VALUE, '1')
    assert restored == 'kept', f'{name}: after Back from the thank-you page the box holds ' \
                               f'{restored!r}'
    browser.script('document.getElementsByName("1")[0].value = "changed";')
    browser.click('button[value=FINISHED]')
    # The form as it was sent (same answer ID): asked whether it is a
    # correction. The form's typing put back into a page loaded anew (a new
    # answer ID, as Firefox does): stored as an answer of its own.
    wait_for(browser, lambda: 'You sent this survey before' in browser.source() or
             '?answered=' in browser.url(), f'{name}: the changed answer went nowhere')
    asked = 'You sent this survey before' in browser.source()
    if asked:
        browser.click('form:first-of-type button')  # the correction
        wait_for(browser, lambda: '?answered=' in browser.url(),
                 f'{name}: correction not saved')
    with open(answers_file, 'rb') as f:
        rows = list(csv.reader(io.StringIO(f.read()[3:].decode('utf-8'), newline='')))
    assert [row[4] for row in rows[-2:]] == ['kept', 'changed'], rows
    same_id = rows[-1][-1] == rows[-2][-1]
    assert same_id == asked, f'{name}: asked {asked}, but the answer IDs say otherwise'
    return ('asked, and stored the correction' if asked else
            'loaded the survey anew with the answers typed back in, stored as a new answer')


def start_collector(extra=(), lock=False, required=False):
    """A collector of the sample survey in a folder of its own, and its address."""
    folder = tempfile.mkdtemp()
    subprocess.run([write_sample, folder, picture], check=True)
    if required:
        subprocess.run([collect, folder, '--required', 'My Product Survey.htm:all'], check=True,
                       stdout=subprocess.DEVNULL)
    answers_file = os.path.join(folder, 'My Product Survey answers.csv')
    held = None
    if lock:  # as another program writing to it would, before the collector starts
        held = open(answers_file, 'a')
        fcntl.flock(held, fcntl.LOCK_EX)
    port = free_port()
    server = subprocess.Popen([collect, folder, '--port', str(port), '--local', '--quiet',
                               *extra], stdout=subprocess.PIPE, text=True)
    server.stdout.readline()
    return server, f'http://127.0.0.1:{port}', answers_file, held


def main():
    servers = {'stores': start_collector(), 'locked': start_collector(lock=True),
               'busy': start_collector(['--answer-burst', '0.5']),
               'required': start_collector(required=True)}
    bases = {where: server[1] for where, server in servers.items()}
    answers_file = servers['stores'][2]
    said = []
    try:
        chromium = Chromium()
        try:
            said.append('Chromium ' + respond('Chromium', chromium, bases, answers_file))
        finally:
            chromium.quit()
        if not shutil.which('firefox-esr'):
            print('skipped: Firefox ESR is not installed (scripts/deps.sh installs it)')
        else:
            browser, process = firefox()
            try:
                said.append('Firefox ESR ' + respond('Firefox ESR', browser, bases, answers_file))
            finally:
                browser.quit()
                process.terminate()
                process.wait(10)
    finally:
        for server, _, _, held in servers.values():
            server.terminate()
            server.wait(10)
            if held:
                held.close()
    print('back: ' + ', '.join(said) + '; Back from ' +
          ', '.join(f'"{refusal}"' for refusal, _, _ in REFUSALS) + ' kept the form in both')
    return 0


sys.exit(main())
