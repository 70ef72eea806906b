"""The dashboard in headless Chromium through WebDriver, against vesk-host --serve and the simulator:
the page loads without a console error, then a tour of its panes. Keeps WORKDIR/dashboard.png.
Usage: dashboard_browser_test.py VESK_HOST WORKDIR   (exit status 77: no browser here, skipped)"""
import json
import os
import shutil
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from served_host import PIN, ServedHost  # noqa: E402

SKIPPED = 77
CHROMIUM = shutil.which("chromium") or "/usr/bin/chromium"
DRIVER = shutil.which("chromedriver") or "/usr/bin/chromedriver"
SMS_TEXT = "Grüße aus Köln, 5 € 😀"

try:
    from selenium import webdriver
    from selenium.common.exceptions import StaleElementReferenceException, TimeoutException
    from selenium.webdriver.chrome.options import Options
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.common.by import By
    from selenium.webdriver.support.ui import WebDriverWait
except ImportError:
    print("SKIPPED: python3-selenium is not installed (scripts/setup test installs it)")
    sys.exit(SKIPPED)
if not (os.access(CHROMIUM, os.X_OK) and os.access(DRIVER, os.X_OK)):
    print("SKIPPED: chromium or chromedriver is not installed (scripts/setup test installs them)")
    sys.exit(SKIPPED)


def browser():
    options = Options()
    options.binary_location = CHROMIUM
    for argument in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
                     "--window-size=1280,1400", "--lang=en-GB", "--no-first-run"):
        options.add_argument(argument)
    options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
    return webdriver.Chrome(service=Service(DRIVER), options=options)


def main():
    program, workdir = sys.argv[1], sys.argv[2]
    served = ServedHost(program, workdir)
    driver = None
    step = "start"
    try:
        driver = browser()
        wait = WebDriverWait(driver, 60, poll_frequency=0.05)
        text = lambda css: driver.find_element(By.CSS_SELECTOR, css).text  # noqa: E731

        def until(what, condition, seconds=60):
            nonlocal step
            step = what
            WebDriverWait(driver, seconds, poll_frequency=0.05,
                          ignored_exceptions=[StaleElementReferenceException]).until(lambda d: condition())

        # The page redraws lists as events come: a control found a moment ago may have been replaced.
        def click(css):
            for _ in range(20):
                try:
                    driver.find_element(By.CSS_SELECTOR, css).click()
                    return
                except StaleElementReferenceException:
                    time.sleep(0.05)
            raise AssertionError("cannot click " + css)

        def events():
            return text("#event-list")

        driver.get(served.url)
        until("the page goes live", lambda: text("#link") == "live")
        check_console(driver)

        click("button[data-command=open]")
        until("the module opens", lambda: "sdk_initializing" in events())
        click("button[data-command=attach]")
        # The simulated SIM is locked: the modem tells its identity once the PIN is in.
        until("the PIN box shows", lambda: driver.find_element(By.ID, "pin-form").is_displayed())
        driver.find_element(By.ID, "pin").send_keys(PIN)
        click("#pin-form button")
        until("the SIM is ready", lambda: text("#sim-state") == "ready")
        until("identity appears", lambda: text("dd[data-value=modem]") not in ("", "-", "- -") and
              text("dd[data-value=firmware]") not in ("", "-"))
        until("the signal appears", lambda: text("#dbm") not in ("", "-") and text("#percent") not in ("", "-"))
        until("ready to connect", lambda: "ready_to_connect" in events())

        click("#connect")
        until("the session shows", lambda: text("#session-state").startswith("connected"))
        until("byte totals arrive", lambda: text("#tx") not in ("", "-"))
        first = text("#rx")
        until("byte totals move", lambda: text("#rx") != first)

        step = "an SMS arrives"
        sent = time.monotonic()
        result = driver.execute_async_script(
            "const done = arguments[arguments.length - 1];"
            "fetch('/api/simulate', {method: 'POST', headers: {'Content-Type': 'application/json'},"
            " body: JSON.stringify({args: arguments[0].split(' ')})}).then(r => r.json()).then(done);",
            "sms = device from +4915112345678 2026-12-06 12:00:00 " + SMS_TEXT)
        assert result["ok"], result
        until("the SMS is in the inbox", lambda: SMS_TEXT in text("#messages"), 5)
        elapsed = time.monotonic() - sent
        assert elapsed <= 1.0, "the SMS took %.2f s to reach the inbox" % elapsed
        assert text("#messages li .from").endswith("4915112345678"), "the newest message is not first"

        click("#gps-start")
        until("a track of two points", lambda: driver.execute_script(
            "const p = document.querySelector('#track path.track');"
            "return p ? p.getAttribute('d').split(/[ML]/).filter(s => s.trim()).length : 0;") >= 2, 60)
        driver.save_screenshot(os.path.join(workdir, "dashboard.png"))
        click("#gps-stop")

        click("#disconnect")
        until("the session ends", lambda: text("#session-state") == "disconnected")

        running = driver.execute_script("return document.querySelector('#image-list .running').parentNode.textContent")
        click("#image-list button")
        until("the image switch completes", lambda: "vesk_image_switching_complete" in events(), 90)
        until("another image runs", lambda: driver.execute_script(
            "const r = document.querySelector('#image-list .running'); return r && r.parentNode.textContent") not in (None, running))

        click("button[data-command=close]")
        until("the module closes", lambda: "sdk_closed" in events())
        step = "the console"
        check_console(driver)
        assert not driver.find_element(By.ID, "module-error").text, "an error beside the module's buttons"
        print("tour complete; screenshot in " + os.path.join(workdir, "dashboard.png"))
        return 0
    except (AssertionError, TimeoutException, StaleElementReferenceException) as error:
        print("FAILED at: %s: %s" % (step, error))
        if driver:
            driver.save_screenshot(os.path.join(workdir, "failed.png"))
            print(driver.find_element(By.TAG_NAME, "body").text[:3000])
        return 1
    finally:
        if driver:
            driver.quit()
        status = served.stop()
        if status != 0:
            print("vesk-host ended with status %s" % status)
            sys.exit(1)


def check_console(driver):
    errors = [entry for entry in driver.get_log("browser") if entry["level"] == "SEVERE"]
    assert not errors, "console errors: " + json.dumps(errors)


if __name__ == "__main__":
    sys.exit(main())
