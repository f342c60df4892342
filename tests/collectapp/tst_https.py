#!/usr/bin/python3
"""HTTPS end to end: velmora-collect with a self-signed certificate made by
openssl, through curl and Python's TLS client; SIGHUP with a new certificate
while answers are posted loses none, and new connections get the new one; the
plain-HTTP port only redirects; HSTS is sent.

usage: tst_https.py VELMORA_COLLECT WRITE_SAMPLE_SURVEY PICTURE
"""
import csv
import http.client
import io
import os
import signal
import socket
import ssl
import subprocess
import sys
import tempfile
import threading
import time

collect, write_sample, picture = sys.argv[1:4]
PAGE = '/My%20Product%20Survey.htm'


def free_port():
    with socket.socket() as s:
        s.bind(('127.0.0.1', 0))
        return s.getsockname()[1]


def certificate(folder, name):
    key, cert = os.path.join(folder, name + '.key'), os.path.join(folder, name + '.pem')
    subprocess.run(['openssl', 'req', '-x509', '-newkey', 'rsa:2048', '-nodes', '-keyout', key,
                    '-out', cert, '-days', '2', '-subj', '/CN=localhost/O=' + name,
                    '-addext', 'subjectAltName=DNS:localhost,IP:127.0.0.1'],
                   check=True, capture_output=True)
    return cert, key


def served_certificate(port, context):
    with socket.create_connection(('127.0.0.1', port), timeout=10) as raw:
        with context.wrap_socket(raw, server_hostname='localhost') as tls:
            return tls.getpeercert(binary_form=True)


def der(pem_file):
    with open(pem_file) as f:
        return ssl.PEM_cert_to_DER_cert(f.read())


def s_client(port, *options):
    """A request over one TLS connection, read to the server's end of it, so
    that a session ticket sent after the handshake is taken as a browser
    takes it."""
    return subprocess.run(['openssl', 's_client', '-connect', f'127.0.0.1:{port}', '-ign_eof',
                           *options], input=b'HEAD / HTTP/1.0\r\nHost: localhost\r\n\r\n',
                          capture_output=True, timeout=30).stdout.decode(errors='replace')


def check_protocols(port, keys):
    """TLS 1.0 and 1.1 are refused even to a client that offers them; 1.2 and
    1.3 resume a session from its ticket instead of a whole handshake."""
    for old in ('-tls1', '-tls1_1'):
        shown = s_client(port, old, '-cipher', 'DEFAULT:@SECLEVEL=0')
        assert 'Cipher is (NONE)' in shown or 'New, ' not in shown, f'{old} accepted:\n{shown}'
    for version in ('-tls1_2', '-tls1_3'):
        session = os.path.join(keys, 'session' + version)
        first = s_client(port, version, '-sess_out', session)
        assert 'New, TLSv1.' in first, first
        # The group browsers send a key share for, without a second round trip.
        assert 'Server Temp Key: X25519' in first, first
        again = s_client(port, version, '-sess_in', session)
        assert 'Reused, TLSv1.' in again, f'{version} not resumed:\n{again}'


def main():
    folder = tempfile.mkdtemp()
    keys = tempfile.mkdtemp()
    subprocess.run([write_sample, folder, picture], check=True)
    old_cert, old_key = certificate(keys, 'first')
    new_cert, new_key = certificate(keys, 'second')
    cert, key = os.path.join(keys, 'live.pem'), os.path.join(keys, 'live.key')
    os.link(old_cert, cert)
    os.link(old_key, key)
    context = ssl.create_default_context()
    context.load_verify_locations(old_cert)
    context.load_verify_locations(new_cert)

    port, plain = free_port(), free_port()
    server = subprocess.Popen([collect, folder, '--port', str(port), '--local', '--tls-cert', cert,
                               '--tls-key', key, '--http-redirect-port', str(plain),
                               '--answer-burst', '1e9', '--answers-per-second', '1e9',
                               '--all-answer-burst', '1e9', '--all-answers-per-second', '1e9',
                               '--quiet'],
                              stdout=subprocess.PIPE, text=True)
    try:
        for line in server.stdout:
            if 'Press Ctrl+C' in line:
                break
        check_protocols(port, keys)
        # curl, as an organiser checks a new server.
        shown = subprocess.run(['curl', '-s', '-i', '--cacert', old_cert,
                                f'https://localhost:{port}{PAGE}'],
                               capture_output=True, check=True).stdout
        assert shown.startswith(b'HTTP/1.1 200'), shown[:100]
        assert b'Strict-Transport-Security: max-age=' in shown, shown[:400]
        moved = subprocess.run(['curl', '-s', '-i', f'http://localhost:{plain}{PAGE}?x'],
                               capture_output=True, check=True).stdout
        assert moved.startswith(b'HTTP/1.1 301'), moved[:100]
        assert f'Location: https://localhost:{port}{PAGE}?x'.encode() in moved, moved[:400]
        assert served_certificate(port, context) == der(old_cert)

        # Today's TLS only: 1.2 and 1.3, no static RSA key exchange. The old
        # versions are asked for at OpenSSL's lowest security level, so that
        # only the server can say no.
        for option, cipher, served in (('-tls1', 'DEFAULT@SECLEVEL=0', False),
                                       ('-tls1_1', 'DEFAULT@SECLEVEL=0', False),
                                       ('-tls1_2', 'AES128-SHA@SECLEVEL=0', False),
                                       ('-tls1_2', 'DEFAULT', True), ('-tls1_3', 'DEFAULT', True)):
            handshake = subprocess.run(['openssl', 's_client', '-connect', f'127.0.0.1:{port}',
                                        option, '-cipher', cipher, '-servername', 'localhost'],
                                       input=b'', capture_output=True, timeout=20)
            assert (handshake.returncode == 0) == served, (option, cipher, handshake.stdout[-300:])

        # Eight respondents answer while the certificate is renewed.
        acknowledged, failed = [], []
        running = True

        def respondent(number):
            sent = 0
            while running and sent < 5000:
                answer_id = f'{number}-{sent}'
                sent += 1
                try:
                    connection = http.client.HTTPSConnection('localhost', port, context=context,
                                                             timeout=10)
                    connection.request('POST', PAGE, f'UserName=x&1={answer_id}',
                                       {'Content-Type': 'application/x-www-form-urlencoded'})
                    status = connection.getresponse().status
                    connection.close()
                except OSError as error:
                    failed.append(f'{answer_id}: {error}')
                    continue
                (acknowledged if status == 303 else failed).append(answer_id)

        threads = [threading.Thread(target=respondent, args=(n,)) for n in range(8)]
        for thread in threads:
            thread.start()
        time.sleep(1)
        for name, source in ((cert, new_cert), (key, new_key)):
            with open(source, 'rb') as f, open(name + '.new', 'wb') as out:
                out.write(f.read())
            os.replace(name + '.new', name)
        server.send_signal(signal.SIGHUP)
        time.sleep(1.5)
        running = False
        for thread in threads:
            thread.join()

        assert not failed, failed[:5]
        assert served_certificate(port, context) == der(new_cert), 'the old certificate is served'
        with open(os.path.join(folder, 'My Product Survey answers.csv'), 'rb') as f:
            rows = list(csv.reader(io.StringIO(f.read()[3:].decode('utf-8'), newline='')))
        stored = {row[4] for row in rows[1:]}
        missing = [a for a in acknowledged if a not in stored]
        assert not missing, missing[:5]

        # A renewal cut half-way: a certificate beside a key not its own. SIGHUP
        # keeps the pair in use, and HTTPS goes on.
        with open(old_cert, 'rb') as f, open(cert + '.new', 'wb') as out:
            out.write(f.read())
        os.replace(cert + '.new', cert)
        server.send_signal(signal.SIGHUP)
        time.sleep(1)
        assert served_certificate(port, context) == der(new_cert), 'a mismatched pair was taken'
    finally:
        server.terminate()
        server.wait(10)

    # At start such a pair is refused with a message that says why.
    started = subprocess.run([collect, folder, '--port', str(free_port()), '--local',
                              '--tls-cert', old_cert, '--tls-key', new_key],
                             capture_output=True, text=True, timeout=30)
    assert started.returncode != 0, 'started with a key that is not the certificate\'s'
    assert 'The key does not belong to the certificate' in started.stderr + started.stdout, \
        started.stderr
    print(f'https: {len(acknowledged)} answers over HTTPS, none lost while the certificate '
          'was renewed; curl, HSTS and the redirect port checked; a mismatched certificate and '
          'key refused at start and at SIGHUP; TLS 1.0 and 1.1 refused, 1.2 and 1.3 sessions '
          'resumed')
    return 0


sys.exit(main())
