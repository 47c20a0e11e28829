#!/usr/bin/env python3
"""The playout doors under load, run by hand: how long from a request, a line or a file rewrite
to the first group carrying the new text, and whether 1,000 HTTP requests a second for a minute
change the groups' timing or the encoder's memory.

    bench/doors-load.py build/encoder/orvane-encoder [seconds]
"""
import os, socket, subprocess, sys, tempfile, threading, time, urllib.request

encoder, seconds = sys.argv[1], int(sys.argv[2]) if len(sys.argv) > 2 else 60
folder = tempfile.mkdtemp()
nowplaying = os.path.join(folder, "now.txt")
proc = subprocess.Popen([encoder, "--no-state", "--port", "0", "--http", "127.0.0.1:0", "--automation",
                         "127.0.0.1:0", "--now-playing", nowplaying, "--groups", "-", "--realtime"],
                        stdout=subprocess.PIPE, stderr=subprocess.PIPE, bufsize=0)
ports = {}
for _ in range(3):
    line = proc.stderr.readline().decode()
    ports["http" if "HTTP" in line else "lines" if "linhas" in line else "console"] = int(line.rsplit(":", 1)[1])
threading.Thread(target=lambda: [None for _ in proc.stderr], daemon=True).start()

arrivals = []  # (time, group line) as the groups come
def read_groups():
    for raw in proc.stdout:
        arrivals.append((time.monotonic(), raw.decode().strip()))
threading.Thread(target=read_groups, daemon=True).start()

def first_group_with(prefix, since):
    want = "".join("%02X" % b for b in prefix.encode())
    deadline = time.monotonic() + 5
    while time.monotonic() < deadline:
        for at, group in list(arrivals):
            parts = group.split()
            if at >= since and len(parts) == 4 and parts[1][0] == "2" and parts[1][3] == "0" \
                    and (parts[2] + parts[3]) == want:
                return at
        time.sleep(0.005)
    return None

def latency(name, send, text):
    time.sleep(1)
    start = time.monotonic()
    send(text)
    at = first_group_with(text[:4], start)
    print("%-6s %s ms" % (name, "none" if at is None else "%.0f" % ((at - start) * 1000)))

http = "http://127.0.0.1:%d" % ports["http"]
for i in range(3):
    latency("http", lambda t: urllib.request.urlopen(http + "/nowplaying?text=" + t.replace(" ", "%20")).read(), "H%03d x" % i)
    latency("line", lambda t: socket.create_connection(("127.0.0.1", ports["lines"])).sendall(
        ("TEXT=%s\n" % t).encode()), "L%03d y" % i)
    def rewrite(t):
        with open(nowplaying + ".tmp", "w") as f: f.write(t + "\n")
        os.rename(nowplaying + ".tmp", nowplaying)
    latency("file", rewrite, "F%03d z" % i)

def rss():
    with open("/proc/%d/status" % proc.pid) as f:
        return next(int(l.split()[1]) for l in f if l.startswith("VmRSS"))

print("load: 1000 requests/s for %d s" % seconds)
before, rss_start = len(arrivals), rss()
start = time.monotonic()
answers = {}
for second in range(seconds):
    out = subprocess.run(["curl", "-s", "-o", "/dev/null", "-w", "%{http_code}\\n", "-Z",
                          "--parallel-max", "16", http + "/nowplaying?artist=a&title=[1-1000]"],
                         capture_output=True, text=True).stdout.split()
    for code in out: answers[code] = answers.get(code, 0) + 1
    time.sleep(max(0, start + second + 1 - time.monotonic()))
    if second % 10 == 9: print("  %3d s: RSS %d KiB, answers %s" % (second + 1, rss(), answers))
groups = arrivals[before:]
gaps = [b[0] - a[0] for a, b in zip(groups, groups[1:])]
print("groups during load: %d in %.1f s (%.2f/s, expected 11.42); longest gap %.0f ms" %
      (len(groups), groups[-1][0] - groups[0][0], (len(groups) - 1) / (groups[-1][0] - groups[0][0]),
       max(gaps) * 1000))
print("RSS %d KiB before, %d KiB after" % (rss_start, rss()))
proc.terminate()
