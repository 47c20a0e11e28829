#!/usr/bin/env python3
"""The HTTP door while one address attacks it, run by hand: 127.0.0.1 holds 40 sockets that send
a header byte every 3 s and 300 that send nothing (each reopened when the door closes it), and
127.0.0.2, the playout, asks for a song twice a second. Prints the playout's answer times (median,
worst) and the signal's groups per second during the attack.

    bench/doors-attack.py build/encoder/orvane-encoder [seconds]
"""
import socket, statistics, subprocess, sys, threading, time

encoder, seconds = sys.argv[1], int(sys.argv[2]) if len(sys.argv) > 2 else 30
proc = subprocess.Popen([encoder, "--port", "0", "--http", "127.0.0.1:0", "--groups", "-",
                         "--realtime"], stdout=subprocess.PIPE, stderr=subprocess.PIPE, bufsize=0)
port = None
while port is None:
    line = proc.stderr.readline().decode()
    if "HTTP" in line:
        port = int(line.rsplit(":", 1)[1])
threading.Thread(target=lambda: [None for _ in proc.stderr], daemon=True).start()
arrivals = []
threading.Thread(target=lambda: [arrivals.append(time.monotonic()) for _ in proc.stdout],
                 daemon=True).start()


def attacker(count, trickle):
    sockets = [None] * count
    end = time.monotonic() + seconds + 2
    while time.monotonic() < end:
        for i in range(count):
            try:
                if sockets[i] is None:
                    s = socket.socket()
                    s.bind(("127.0.0.1", 0))
                    s.settimeout(0.2)
                    s.connect(("127.0.0.1", port))
                    if trickle:
                        s.send(b"GET /state HTTP/1.1\r\n")
                    sockets[i] = s
                elif trickle:
                    sockets[i].send(b"X")
            except OSError:
                sockets[i] = None
        time.sleep(3 if trickle else 1)


threading.Thread(target=attacker, args=(40, True), daemon=True).start()
threading.Thread(target=attacker, args=(300, False), daemon=True).start()
time.sleep(2)
times, failures, first = [], 0, len(arrivals)
start = time.monotonic()
while time.monotonic() < start + seconds:
    began = time.monotonic()
    try:
        s = socket.socket()
        s.bind(("127.0.0.2", 0))
        s.settimeout(5)
        s.connect(("127.0.0.1", port))
        s.sendall(b"GET /nowplaying?text=playout HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n")
        reply = s.recv(4096)
        s.close()
        if reply.startswith(b"HTTP/1.1 200"):
            times.append(time.monotonic() - began)
        else:
            failures += 1
    except OSError:
        failures += 1
    time.sleep(0.5)
groups = arrivals[first:]
print("playout from 127.0.0.2: %d answered, %d not; median %.1f ms, worst %.1f ms" %
      (len(times), failures, statistics.median(times) * 1000, max(times) * 1000))
print("groups during the attack: %.2f/s (expected 11.40)" %
      ((len(groups) - 1) / (groups[-1] - groups[0])))
proc.terminate()
