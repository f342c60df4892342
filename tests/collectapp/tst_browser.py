#!/usr/bin/python3
"""A respondent in a real browser: headless Chromium opens the sample survey
through velmora-collect, fills it in with text beyond Latin-1 and presses
FINISHED; the answers file must then hold exactly what was typed.

With VELMORA_BROWSER_HTTPS=1 in the environment the collector serves HTTPS
with a self-signed certificate made by openssl. With VELMORA_BROWSER_DATABASE
naming the file of a PostgreSQL connection string, the answers go to a database
of their own there, and the answers file checked is the one --export writes.

usage: tst_browser.py VELMORA_COLLECT WRITE_SAMPLE_SURVEY PICTURE
"""
import csv
import io
import os
import socket
import subprocess
import sys
import tempfile
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.support.ui import WebDriverWait

collect, write_sample, picture = sys.argv[1:4]
HTTPS = os.environ.get('VELMORA_BROWSER_HTTPS') == '1'
DATABASE = os.environ.get('VELMORA_BROWSER_DATABASE')
TYPED = '€ 中文 😀 "q" & <x>'
NAME = 'Jürgen Müller'
EMAIL = 'zoë@example.org'  # refused by a browser's own e-mail check


def free_port():
    with socket.socket() as s:
        s.bind(('127.0.0.1', 0))
        return s.getsockname()[1]


def browser():
    options = webdriver.ChromeOptions()
    options.binary_location = '/usr/bin/chromium'
    for flag in ('--headless=new', '--no-sandbox', '--disable-gpu', '--disable-quic',
                 '--no-first-run', '--disable-background-networking',
                 '--disable-component-update', '--disable-sync', '--window-size=900,1200'):
        options.add_argument(flag)
    options.add_argument('--user-data-dir=' + tempfile.mkdtemp())
    if HTTPS:
        options.add_argument('--ignore-certificate-errors')  # self-signed for the test
    return webdriver.Chrome(service=Service('/usr/bin/chromedriver'), options=options)


def database():
    """A new database in the cluster the connection string names, and its own string."""
    with open(DATABASE) as f:
        server = f.read().strip()
    name = f'velmora_browser_{os.getpid()}'
    subprocess.run(['psql', '-q', server, '-c', f'CREATE DATABASE {name}'], check=True)
    return server, name


def main():
    folder = tempfile.mkdtemp()
    subprocess.run([write_sample, folder, picture], check=True)
    port = free_port()
    arguments = [collect, folder, '--port', str(port), '--local']
    scheme = 'http'
    if HTTPS:
        keys = tempfile.mkdtemp()
        cert, key = os.path.join(keys, 'cert.pem'), os.path.join(keys, 'key.pem')
        subprocess.run(['openssl', 'req', '-x509', '-newkey', 'rsa:2048', '-nodes', '-keyout', key,
                        '-out', cert, '-days', '2', '-subj', '/CN=127.0.0.1',
                        '-addext', 'subjectAltName=IP:127.0.0.1'], check=True, capture_output=True)
        arguments += ['--tls-cert', cert, '--tls-key', key]
        scheme = 'https'
    if DATABASE:
        cluster, name = database()
        conninfo = f'{cluster} dbname={name}'
        arguments += ['--database', conninfo]
    server = subprocess.Popen(arguments, stdout=subprocess.PIPE, text=True)
    driver = None
    try:
        server.stdout.readline()  # listening
        driver = browser()
        driver.set_page_load_timeout(20)
        driver.get(f'{scheme}://127.0.0.1:{port}/')
        driver.find_element(By.LINK_TEXT, 'My Product Survey').click()

        driver.find_element(By.NAME, 'UserName').send_keys(NAME)
        driver.find_element(By.NAME, 'UserEmail').send_keys(EMAIL)
        # Enter in a one-line box, on a radio button or a check box sends nothing.
        for selector in ('[name=UserName]', '[name=UserEmail]', 'input[type=radio]',
                         'input[type=checkbox]'):
            driver.find_element(By.CSS_SELECTOR, selector).send_keys(Keys.ENTER)
        time.sleep(0.5)
        assert '?answered' not in driver.current_url, 'Enter sent the survey half-filled'
        for box in driver.find_elements(By.CSS_SELECTOR, 'input[type=checkbox]:checked'):
            box.click()  # Enter on a check box may have ticked it
        # ChromeDriver types only the Basic Multilingual Plane; the emoji goes in
        # as the page's own script would put it, and the form encodes it.
        for name in ('1', '4'):
            field = driver.find_element(By.NAME, name)
            driver.execute_script('arguments[0].value = arguments[1];', field, TYPED)
        # Options that share a code post their words, so each choice is kept.
        driver.find_element(By.CSS_SELECTOR, 'input[type=radio][value="a) Yes"]').click()
        for box in driver.find_elements(By.CSS_SELECTOR, 'input[type=checkbox][name="3) a)"]'):
            box.click()
        if len(sys.argv) > 4:
            driver.save_screenshot(sys.argv[4])
        driver.find_element(By.CSS_SELECTOR, 'button[value=FINISHED]').click()
        WebDriverWait(driver, 20).until(lambda d: '?answered=' in d.current_url)
        assert 'My Product Survey' in driver.page_source, driver.page_source

        answers = folder
        if DATABASE:
            answers = tempfile.mkdtemp()
            subprocess.run([collect, '--export', answers, '--database', conninfo], check=True,
                           capture_output=True)
        with open(os.path.join(answers, 'My Product Survey answers.csv'), 'rb') as f:
            raw = f.read()
        assert raw.startswith(b'\xef\xbb\xbf'), raw[:10]
        rows = list(csv.reader(io.StringIO(raw[3:].decode('utf-8'), newline='')))
        assert len(rows) == 2, rows
        row = rows[1]
        expected = [NAME, EMAIL, TYPED, 'a) Yes', 'a) Good | a) Poor', '', TYPED]
        if row[2:-1] != expected or len(row[-1]) != 32:
            print('FAIL: the answers file holds', row[2:], 'not', expected, 'and an answer ID')
            return 1
        print(f'browser: Chromium posted the sample survey over {scheme}; the answers file '
              f'{"exported from the database " if DATABASE else ""}holds it exactly')
        return 0
    finally:
        if driver:
            driver.quit()
        server.terminate()
        server.wait(10)
        if DATABASE:
            subprocess.run(['psql', '-q', cluster, '-c', f'DROP DATABASE {name} WITH (FORCE)'])


sys.exit(main())
