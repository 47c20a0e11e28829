#!/usr/bin/env python3
"""How soon a change is on air: through each door, changes at random moments, and for each the
number of groups made after it arrived before the first that carries it (0: the next group).

    bench/next-group.py build/encoder/orvane-encoder [changes per door, default 20] [seed]

A group made in the millisecond between a change leaving here and the encoder reading it counts
as one group late, so a rare 1 can be the bench's and not the encoder's.
"""
import os, random, select, socket, subprocess, sys, tempfile, threading, time, urllib.parse, \
    urllib.request

encoder = sys.argv[1]
changes = int(sys.argv[2]) if len(sys.argv) > 2 else 20
random.seed(int(sys.argv[3]) if len(sys.argv) > 3 else 33)
LATE_AFTER_GROUPS = 40  # 3.5 s: a change not on air by then is counted as never
UECP_LISTEN_LINE = "UECP"

folder = tempfile.mkdtemp()
nowplaying = os.path.join(folder, "now.txt")
proc = subprocess.Popen([encoder, "--no-state", "--port", "0", "--http", "127.0.0.1:0",
                         "--automation", "127.0.0.1:0", "--uecp-listen", "127.0.0.1:0",
                         "--now-playing", nowplaying, "--groups", "-", "--realtime"],
                        stdout=subprocess.PIPE, stderr=subprocess.PIPE, bufsize=0)
ports = {}
while len(ports) < 4:
    line = proc.stderr.readline().decode()
    if not line:
        sys.exit("the encoder ended before naming its ports")
    if line.rstrip()[-1:].isdigit() and ":" in line:
        kind = "http" if "HTTP" in line else "lines" if "linhas" in line else \
            "uecp" if UECP_LISTEN_LINE in line else "console"
        ports[kind] = int(line.rsplit(":", 1)[1])
threading.Thread(target=lambda: [None for _ in proc.stderr], daemon=True).start()

groups = []  # every group line, as they come
def read_groups():
    for raw in proc.stdout:
        groups.append(raw.decode().split())
threading.Thread(target=read_groups, daemon=True).start()


def carries(group, kind, token):
    """Whether a group is the first segment of a text that starts with `token`."""
    if len(group) != 4:
        return False
    b = int(group[1], 16)
    hexed = token.encode().hex().upper()
    if kind == "RT":   # 2A, segment 0: four characters in blocks C and D
        return b >> 11 == 4 and b & 0xF == 0 and group[2] + group[3] == hexed
    if kind == "PS":   # 0A, segment 0: two characters in block D
        return b >> 11 == 0 and b & 0x3 == 0 and group[3] == hexed
    if kind == "PTYN":  # 10A, segment 0: four characters in blocks C and D
        return b >> 11 == 20 and b & 0x1 == 0 and group[2] + group[3] == hexed
    return False


def groups_until(kind, token, since):
    deadline = time.monotonic() + 5
    while time.monotonic() < deadline:
        for i in range(since, len(groups)):
            if carries(groups[i], kind, token):
                return i - since
            if i - since > LATE_AFTER_GROUPS:
                return None
        time.sleep(0.005)
    return None


console = socket.create_connection(("127.0.0.1", ports["console"]))
lines = socket.create_connection(("127.0.0.1", ports["lines"]))
uecp = socket.create_connection(("127.0.0.1", ports["uecp"]))
for s in (console, lines, uecp):
    s.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)


def uecp_crc(body):
    reg = 0xFFFF
    for byte in body:
        reg ^= byte << 8
        for _ in range(8):
            reg = ((reg << 1) ^ 0x1021 if reg & 0x8000 else reg << 1) & 0xFFFF
    return reg ^ 0xFFFF


def uecp_radiotext(text):
    data = text.encode() + b"\r"
    message = bytes([0x0A, 0, 0, len(data) + 1, 0]) + data
    body = bytes([0, 0, 0, len(message)]) + message
    body += uecp_crc(body).to_bytes(2, "big")
    stuffed = b"".join(bytes([0xFD, c - 0xFD]) if c >= 0xFD else bytes([c]) for c in body)
    return b"\xFE" + stuffed + b"\xFF"


def rewrite_file(text):
    staged = nowplaying + ".new"
    with open(staged, "w") as f:
        f.write("title=%s\n" % text)
    os.replace(staged, nowplaying)


def http_get(text):
    query = urllib.parse.urlencode({"text": text})
    urllib.request.urlopen("http://127.0.0.1:%d/nowplaying?%s" % (ports["http"], query)).read()


doors = [
    ("console TXT0", "RT", lambda t: console.sendall(b'TXT0="%s"\nENCODE\n' % t.encode())),
    ("console PSN", "PS", lambda t: console.sendall(b'PSN="%s"\nENCODE\n' % t.encode())),
    ("lines TEXT", "RT", lambda t: lines.sendall(b"TEXT=%s\n" % t.encode())),
    ("lines PS", "PS", lambda t: lines.sendall(b"PS=%s\n" % t.encode())),
    ("lines PTYN", "PTYN", lambda t: lines.sendall(b"PTYN=%s\n" % t.encode())),
    ("HTTP text", "RT", http_get),
    ("UECP RT", "RT", lambda t: uecp.sendall(uecp_radiotext(t))),
    ("file", "RT", rewrite_file),
]

time.sleep(1)
print("changes a door, groups after the change to the first carrying it (0 = the next group)")
totals = [0, 0]
for name, kind, send in doors:
    delays = []
    for n in range(changes):
        time.sleep(random.uniform(0.3, 1.3))
        # Two characters, so that a name's first segment tells one change from another.
        token = chr(ord("A") + n % 26) + chr(ord("a") + n // 26)
        text = token + "%02d Orvane" % n if kind == "RT" else token + "%02d" % n
        since = len(groups)
        send(text if kind != "RT" else text)
        delays.append(groups_until(kind, (token + "%02d" % n)[: 2 if kind == "PS" else 4], since))
    nexts = delays.count(0)
    totals[0] += nexts
    totals[1] += len(delays)
    print("%-13s %2d of %d in the next group; after: %s" % (name, nexts, len(delays),
          " ".join("-" if d is None else str(d) for d in delays)))
print("all doors: %d of %d in the next group" % tuple(totals))
proc.terminate()
proc.wait()
