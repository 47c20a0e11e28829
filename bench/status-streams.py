#!/usr/bin/python3
"""What watchers of /events cost the encoder: its processor time over SECONDS while a console
changes the radiotext once a second, with no watcher and then with STREAMS of them, and how long
an event takes from the console's ENCODE to the first watcher (air time included).

Usage: status-streams.py ENCODER [STREAMS] [SECONDS]
"""
import os
import re
import socket
import subprocess
import sys
import time

encoder = sys.argv[1]
streams = int(sys.argv[2]) if len(sys.argv) > 2 else 100
seconds = int(sys.argv[3]) if len(sys.argv) > 3 else 20
ticks = os.sysconf("SC_CLK_TCK")


def cpu_seconds(pid):
    fields = open("/proc/%d/stat" % pid).read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / ticks


def run(watchers):
    process = subprocess.Popen([encoder, "--port", "0", "--http", "0"], stdout=subprocess.PIPE,
                               text=True)
    ports = {}
    while len(ports) < 2:
        found = re.search(r"(a escutar em|HTTP em) [\d.]+:(\d+)", process.stdout.readline())
        if found:
            ports[found.group(1)] = int(found.group(2))
    subprocess.Popen(["cat"], stdin=process.stdout, stdout=subprocess.DEVNULL)  # keep the log moving
    opened = []
    for _ in range(watchers):
        s = socket.create_connection(("127.0.0.1", ports["HTTP em"]))
        s.sendall(b"GET /events HTTP/1.1\r\nHost: x\r\n\r\n")
        s.setblocking(False)
        opened.append(s)
        time.sleep(0.025)  # under the door's rate limit per client
    console = socket.create_connection(("127.0.0.1", ports["a escutar em"]))
    start = cpu_seconds(process.pid)
    latencies = []
    heard = set()
    for n in range(seconds):
        text = "Texto %d" % n
        sent = time.monotonic()
        console.sendall(('TXT0="%s"\nENCODE\n' % text).encode())
        seen = b""
        while time.monotonic() - sent < 0.95:
            for s in opened:
                try:
                    while True:
                        chunk = s.recv(65536)
                        if not chunk:
                            break
                        if b"event: status" in chunk:
                            heard.add(s)
                        if s is opened[0]:
                            seen += chunk
                except BlockingIOError:
                    pass
            if opened and latencies[-1:] != [None] and text.encode() + b'"' in seen and len(latencies) == n:
                latencies.append(time.monotonic() - sent)
            time.sleep(0.005)
        if len(latencies) == n:
            latencies.append(None)
    used = cpu_seconds(process.pid) - start
    process.terminate()
    process.wait()
    if watchers:
        print("%d of %d watchers were sent events" % (len(heard), watchers))
    return used, [l for l in latencies if l is not None]


idle, _ = run(0)
busy, latencies = run(streams)
print("processor time over %d s: %.2f s without watchers, %.2f s with %d (%.2f%% of a core for them)"
      % (seconds, idle, busy, streams, (busy - idle) / seconds * 100))
if latencies:
    latencies.sort()
    print("ENCODE to event, air time included: median %.0f ms, worst %.0f ms"
          % (latencies[len(latencies) // 2] * 1000, latencies[-1] * 1000))
