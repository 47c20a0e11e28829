#!/usr/bin/python3
"""Runs the shell commands that README.md and docs/*.md give a newcomer to copy, as written.

Every ```sh or ```bash block is run, but one that the line before marks `<!-- not run: WHY -->`
with its reason (a sound card, the service manager, a tool Debian does not have). The commands run one by one in
a fresh folder holding a copy of examples/, with the built programs on PATH (as README.md's
set-up puts them), inside a network namespace of their own, so that the documented ports
(6969, 8080, ...) cannot meet another program's. A command must end with status 0, or still be
running when its time is up (a server). A command put in the background with `&` must say that
it listens before the next one runs, the way a newcomer waits for it.

  newcomer_commands.py SOURCE_DIR
"""
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

SKIP_MARK = "<!-- not run"
SHELL_FENCES = ("```sh", "```bash")
SERVER_SECONDS = 3
BACKGROUND_START_SECONDS = 10
LISTENING = "a escutar em"


def blocks(path):
    """(line number, [command]) of each shell block not marked as not run."""
    with open(path, encoding="utf-8") as text:
        lines = text.read().split("\n")
    found, index = [], 0
    while index < len(lines):
        if lines[index].strip() in SHELL_FENCES:
            skipped = index > 0 and lines[index - 1].strip().startswith(SKIP_MARK)
            start, body = index + 1, []
            index += 1
            while index < len(lines) and not lines[index].startswith("```"):
                body.append(lines[index])
                index += 1
            if not skipped:
                found.append((start, commands(body)))
        index += 1
    return found


def commands(body):
    """The block's commands: continuation lines joined, comments and blank lines dropped."""
    joined, pending = [], ""
    for line in body:
        if line.endswith("\\"):
            pending += line[:-1] + " "
            continue
        command = (pending + line).strip()
        pending = ""
        if command and not command.startswith("#"):
            joined.append(re.sub(r"\s+#[^'\"]*$", "", command))
    return joined


def stop(process):
    if process.poll() is None:
        os.killpg(process.pid, signal.SIGINT)
        try:
            process.wait(timeout=SERVER_SECONDS)
        except subprocess.TimeoutExpired:
            os.killpg(process.pid, signal.SIGKILL)
            process.wait()


def start(command, folder, log):
    # The folder is the home too, so that the encoder keeps its air there and not in the user's.
    environment = dict(os.environ, HOME=folder, XDG_STATE_HOME=os.path.join(folder, ".state"))
    return subprocess.Popen(["bash", "-c", command], cwd=folder, stdout=log, stderr=log,
                            stdin=subprocess.DEVNULL, start_new_session=True, env=environment)


def run(command, folder, log_path):
    """(process, None) once a `&` command says it listens or another ended well or was still
    serving at its time; else (process, why not)."""
    in_background = command.endswith("&")
    with open(log_path, "w+b") as log:
        process = start(command.rstrip("&"), folder, log)
    deadline = time.monotonic() + (BACKGROUND_START_SECONDS if in_background else SERVER_SECONDS)
    while time.monotonic() < deadline and process.poll() is None:
        with open(log_path, "rb") as seen:
            if in_background and LISTENING.encode() in seen.read():
                return process, None
        time.sleep(0.05)
    serving = process.poll() is None
    stop(process)
    if in_background:
        return process, "did not say it listens"
    return process, None if serving or process.returncode == 0 else f"ended with {process.returncode}"


def run_block(commands_of_block, folder):
    """The first failing command and why, or None."""
    background = []
    try:
        for number, command in enumerate(commands_of_block):
            log_path = os.path.join(folder, f".command-{number}.log")
            process, why = run(command, folder, log_path)
            background.append(process)
            if why:
                with open(log_path, encoding="utf-8", errors="replace") as log:
                    return f"{command}\n  {why}:\n{log.read()[-2000:]}"
    finally:
        for process in background:
            stop(process)
    return None


def main():
    source = sys.argv[1]
    documents = [os.path.join(source, "README.md")] + sorted(
        os.path.join(source, "docs", name) for name in os.listdir(os.path.join(source, "docs"))
        if name.endswith(".md"))
    failures, ran = [], 0
    for document in documents:
        for line, block_commands in blocks(document):
            with tempfile.TemporaryDirectory() as folder:
                shutil.copytree(os.path.join(source, "examples"), os.path.join(folder, "examples"))
                why = run_block(block_commands, folder)
            ran += len(block_commands)
            if why:
                failures.append(f"{os.path.relpath(document, source)}:{line}: {why}")
    print(f"{ran} commands run")
    for failure in failures:
        print(failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
