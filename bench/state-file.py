#!/usr/bin/env python3
"""The state file's cost and promptness, run by hand: a console changing the radiotext every
second and a playout sending a song every three minutes (both scaled by SPEEDUP), for SECONDS.
Prints writes and bytes per hour, the time from a change going on air (its first radiotext
group, read from the groups as they are sent) to its state on disk (median, worst), the writes while two radiotext lines only take turns (none wanted: the turns
are no news), and whether a restart's first group carries the kept air.

    bench/state-file.py build/encoder/orvane-encoder [seconds] [speedup]
"""
import json, os, socket, statistics, subprocess, sys, tempfile, threading, time, urllib.request

encoder = sys.argv[1]
seconds = int(sys.argv[2]) if len(sys.argv) > 2 else 120
speedup = int(sys.argv[3]) if len(sys.argv) > 3 else 1  # the playout comes this much more often
folder = tempfile.mkdtemp()
state = os.path.join(folder, "state.json")
args = [encoder, "--state", state, "--port", "0", "--http", "127.0.0.1:0", "--automation", "127.0.0.1:0"]


def start(extra=()):
    proc = subprocess.Popen(args + list(extra), stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                            bufsize=0)
    ports, stream = {}, proc.stderr if "-" in extra else proc.stdout
    while len(ports) < 3:
        line = stream.readline().decode()
        if line.startswith("orvane-encoder: "):
            kind = "http" if "HTTP" in line else "lines" if "linhas" in line else "console"
            ports[kind] = int(line.rsplit(":", 1)[1])
    return proc, ports


def on_disk(needle, deadline):
    while time.monotonic() < deadline:
        try:
            with open(state, encoding="utf-8") as f:
                if needle in f.read():
                    return time.monotonic()
        except OSError:
            pass
        time.sleep(0.0005)
    return None


proc, ports = start(["--groups", "-"])
# When each radiotext A/B flag was first sent: every new text flips it, so its first group is the
# moment the change went on air. The log is read too, so that neither pipe fills.
flips, flips_lock = [], threading.Lock()


def watch_groups():
    flag = None
    for line in proc.stdout:
        words = line.split()
        if len(words) != 4:
            continue
        block_b = int(words[1], 16)
        if block_b >> 11 == 2 * 2 and (block_b >> 4) & 1 != flag:
            flag = (block_b >> 4) & 1
            with flips_lock:
                flips.append(time.monotonic())


threading.Thread(target=watch_groups, daemon=True).start()
threading.Thread(target=lambda: [None for _ in proc.stderr], daemon=True).start()
console = socket.create_connection(("127.0.0.1", ports["console"]))
console.sendall(b'PTY=0A\nPSN="ORVANE"\nENCODE\nTP=01\n')
latencies, from_sent, started, n = [], [], time.monotonic(), 0
next_song = started
while time.monotonic() - started < seconds:
    n += 1
    text = "Contagem %d" % n
    if time.monotonic() >= next_song:
        song = socket.create_connection(("127.0.0.1", ports["lines"]))
        song.sendall(("TEXT=Musica %d\n" % n).encode())
        song.close()
        next_song += 180 / speedup
    sent = time.monotonic()
    console.sendall(('TXT1="%s"\nENCODE\n' % text).encode())
    landed = on_disk(text, sent + 3)
    on_air, wait_until = None, time.monotonic() + 1  # a quick write can come before the group
    while on_air is None and time.monotonic() < wait_until:
        with flips_lock:
            on_air = next((t for t in flips if t >= sent), None)
        time.sleep(0.001)
    if landed and on_air:
        latencies.append(landed - on_air)
        from_sent.append(landed - sent)
    else:
        latencies.append(float("inf"))
    time.sleep(max(0, sent + 1 - time.monotonic()))
elapsed = time.monotonic() - started


def writes_so_far():
    return json.load(urllib.request.urlopen("http://127.0.0.1:%d/status" % ports["http"]))[
        "state"]["writes"]


writes, size = writes_so_far(), os.path.getsize(state)
print("writes/hour %.0f, bytes/hour %.0f (file %d bytes)" %
      (writes * 3600 / elapsed, writes * size * 3600 / elapsed, size))
print("on air to disk: median %.0f ms, worst %.0f ms over %d changes" %
      (statistics.median(latencies) * 1000, max(latencies) * 1000, len(latencies)))
print("sent to disk: median %.0f ms, worst %.0f ms" %
      (statistics.median(from_sent) * 1000, max(from_sent) * 1000))
time.sleep(1.5)  # the last change written
quiet, before_quiet = 30, writes_so_far()
time.sleep(quiet)
print("writes in %d s of two lines taking turns and nothing else: %d" %
      (quiet, writes_so_far() - before_quiet))
proc.kill()
proc.wait()

again, _ = start(["--groups", "-"])
first = again.stdout.readline().decode().split()
again.kill()
block_b = int(first[1], 16)
print("first group after restart: %s (PTY %d, TP %d; want 10, 1)" %
      (" ".join(first), (block_b >> 5) & 31, (block_b >> 10) & 1))
