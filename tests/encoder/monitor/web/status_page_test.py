#!/usr/bin/python3
"""The status page in a real browser (headless Chromium) against a real encoder: a console's
ENCODE shows within a second, a UECP target going down raises an alarm and coming back ends it,
and a stopped encoder is shown as unreachable. Exit 77 (skipped) only when no browser can run.

Usage: status_page_test.py ENCODER [SCREENSHOT.png]
"""
import re
import socket
import subprocess
import sys
import time

try:
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.common.by import By
except ImportError:
    print("skipped: python3-selenium is not installed (scripts/setup.sh installs it)")
    sys.exit(77)

PATIENCE_S = 10
# The page shows the name as read back from the groups sent, once the air has carried its four
# segments, and the text the same way: within a second of the ENCODE.
PAGE_BUDGET_S = 1.0
# Marks, in the page's own clock (the machine's wall clock), when the name and text of the ENCODE
# are both shown.
SHOWN_MARK = """
window.shownAt = null;
const shown = () => document.getElementById("ps").textContent.trim() === "ORVANE" &&
    (document.getElementById("rt-a").textContent +
     document.getElementById("rt-b").textContent).includes("Bom dia");
new MutationObserver(() => { if (window.shownAt === null && shown()) window.shownAt = Date.now(); })
    .observe(document.body, {subtree: true, childList: true, characterData: true});
"""


def wait_for(what, check, limit=PATIENCE_S):
    """Polls `check` until it is true; fails the test with `what` after `limit` seconds."""
    end = time.monotonic() + limit
    while time.monotonic() < end:
        if check():
            return time.monotonic()
        time.sleep(0.02)
    raise AssertionError("not within %.1f s: %s" % (limit, what))


def start_encoder(encoder, target_port):
    process = subprocess.Popen(
        [encoder, "--no-state", "--port", "0", "--http", "0", "--rtplus", "--alarm-target-down", "1",
         "--uecp", "tcp:127.0.0.1:%d" % target_port],
        stdout=subprocess.PIPE, text=True)
    ports = {}
    while len(ports) < 2:
        line = process.stdout.readline()
        found = re.search(r"(a escutar em|HTTP em) [\d.]+:(\d+)", line)
        if not line:
            raise AssertionError("the encoder did not start")
        if found:
            ports[found.group(1)] = int(found.group(2))
    return process, ports["a escutar em"], ports["HTTP em"]


def browser():
    options = webdriver.ChromeOptions()
    for argument in ("--headless=new", "--no-sandbox", "--disable-gpu", "--window-size=1280,1000",
                     "--disable-dev-shm-usage", "--lang=pt-PT"):
        options.add_argument(argument)
    options.binary_location = "/usr/bin/chromium"
    try:
        return webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
    except Exception as error:  # no browser here: not a fault of the page
        print("skipped: Chromium cannot be started here: %s" % str(error).splitlines()[0])
        sys.exit(77)


def main():
    encoder = sys.argv[1]
    screenshot = sys.argv[2] if len(sys.argv) > 2 else None
    target = socket.socket()  # bound but not listening: the UECP target refuses
    target.bind(("127.0.0.1", 0))
    target_port = target.getsockname()[1]
    driver = browser()
    process, console_port, http_port = start_encoder(encoder, target_port)
    try:
        text = lambda element_id: driver.find_element(By.ID, element_id).text
        classes = lambda element_id: driver.find_element(By.ID, element_id).get_attribute("class")
        driver.get("http://127.0.0.1:%d/" % http_port)
        wait_for("the page says it is connected", lambda: text("ligacao") == "Ligado ao codificador")

        console = socket.create_connection(("127.0.0.1", console_port))
        console.sendall('PSN="ANTES"\nTXT0="Primeira"\nENCODE\n'.encode("cp1252"))
        wait_for("the first text", lambda: "Primeira" in text("rt-a") + text("rt-b"))
        # The page notes the moment it shows the change: polling it through WebDriver would add
        # three round trips a look, which a loaded machine stretches to hundreds of ms.
        driver.execute_script(SHOWN_MARK)
        sent = time.time()
        console.sendall('PSN="ORVANE"\nTXT0="Bom dia"\nENCODE\n'.encode("cp1252"))
        wait_for("the service name and radiotext of the ENCODE",
                 lambda: text("ps").strip() == "ORVANE" and "Bom dia" in text("rt-a") + text("rt-b"))
        took = driver.execute_script("return window.shownAt") / 1000 - sent
        print("ENCODE to page: %.0f ms" % (took * 1000))
        assert took < PAGE_BUDGET_S, "the page took %.2f s" % took

        wait_for("the target shown down", lambda: "em baixo" in text("destinos"))
        wait_for("the alarm shown", lambda: "destino UECP" in text("alarmes")
                 and "acesa" in classes("l-alarme"))
        console.sendall('TXT0="Rui Veloso - Porto Sentido"\nTXT1="Bom dia, Lisboa"\nPTY=0A\n'
                        'TA=01\nENCODE\n'.encode("cp1252"))
        wait_for("the artist from RadioText Plus", lambda: text("artista") == "Rui Veloso")
        wait_for("the programme type", lambda: "Música Pop" in text("pty"))
        time.sleep(5)  # both radiotext lines once through, for the picture
        if screenshot:
            driver.save_screenshot(screenshot)

        target.listen(4)
        wait_for("the target back up", lambda: "ligado" in text("destinos"), limit=20)
        wait_for("the alarm gone", lambda: "Sem alarmes" in text("alarmes"))

        process.terminate()
        process.wait(PATIENCE_S)
        wait_for("the page says the encoder is unreachable",
                 lambda: text("ligacao") == "Codificador inacessível")
        # The page did all of the above under its Content-Security-Policy; nothing was blocked.
        blocked = [entry["message"] for entry in driver.get_log("browser")
                   if "Content Security Policy" in entry["message"]]
        assert not blocked, "blocked by the page's policy: %s" % blocked
        print("status page: all checks passed")
    finally:
        if process.poll() is None:
            process.kill()
        driver.quit()


if __name__ == "__main__":
    main()
