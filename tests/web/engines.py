"""The three browser engines the page is tested in, behind one driver: a
Selenium-like object (get, refresh, execute_script, execute_async_script,
windows and tabs, save_screenshot, get_log, quit) and the input a player
gives (mouse, finger, keys, typed text).

- chromium: Debian's chromium through chromedriver; input through the
  DevTools protocol.
- firefox: Debian's firefox-esr over WebDriver BiDi, which it speaks itself
  (Debian has no geckodriver); the client is below, over python3-websockets.
- webkit: WebKitGTK's MiniBrowser through WebKitWebDriver under a private
  Xvfb. Classic WebDriver runs no script before a page's own: the harness
  puts its script into the site it serves instead (Engine.preload False).

An engine that cannot do something raises Unsupported with the reason.
"""

import asyncio
import base64
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "window"))
from rotandor_window import Display, HarnessError, Unsupported, stop_process  # noqa: E402

ENGINES = ("chromium", "firefox", "webkit")


def chosen():
    """The engine of this run: $ROTANDOR_ENGINE, else Chromium."""
    name = os.environ.get("ROTANDOR_ENGINE", "chromium")
    if name not in ENGINES:
        raise HarnessError("unknown engine %r (one of %s)" % (name, ", ".join(ENGINES)))
    return name


# Keys by the DOM key value, as WebDriver's key actions name them.
_WEBDRIVER_KEYS = {"Enter": "\ue007", "Backspace": "\ue003", "Tab": "\ue004", "Escape": "\ue00c",
                   "ArrowLeft": "\ue012", "ArrowUp": "\ue013", "ArrowRight": "\ue014", "ArrowDown": "\ue015",
                   "Delete": "\ue017", "Home": "\ue011", "End": "\ue010", " ": " "}
_WEBDRIVER_KEYS.update({"F%d" % n: chr(0xE031 + n - 1) for n in range(1, 13)})


def webdriver_key(key):
    return _WEBDRIVER_KEYS.get(key, key)


class Engine:
    name = ""
    preload = True  # runs scripts before the page's own
    touch = True    # gives touch input
    device = True   # poses as a phone or tablet (size, device pixel ratio)

    @classmethod
    def lacks(cls, what):
        """Why this engine cannot do what (a name below), or None."""
        return None

    def need(self, what):
        reason = self.lacks(what)
        if reason:
            raise Unsupported("%s cannot %s: %s" % (self.name, what, reason))


# --- Chromium ----------------------------------------------------------------------

def _own_display(window_size, headed):
    """A private X server for a browser with a window, else None."""
    return Display(window_size[0] + 64, window_size[1] + 64) if headed else None


class Chromium(Engine):
    name = "chromium"

    def __init__(self, profile, window_size, downloads, headed=False):
        from selenium import webdriver
        from selenium.webdriver.chrome.service import Service

        options = webdriver.ChromeOptions()
        options.binary_location = "/usr/bin/chromium"
        # Without a shared-memory mount (a bare root, a container) Chromium uses /tmp.
        for arg in (["--window-position=0,0"] if headed else ["--headless=new"]) + [
                "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
                "--user-data-dir=" + profile, "--window-size=%d,%d" % window_size,
                "--force-device-scale-factor=1"]:
            options.add_argument(arg)
        options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
        self.display = _own_display(window_size, headed)
        env = dict(os.environ, DISPLAY=self.display.name) if self.display else None
        try:
            self.driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver", env=env), options=options)
        except Exception:
            if self.display:
                self.display.stop()
            raise
        self.driver.set_script_timeout(30)
        self.downloads = downloads
        self.cdp("Emulation.setTimezoneOverride", timezoneId="UTC")
        self.cdp("Page.setDownloadBehavior", behavior="allow", downloadPath=downloads)

    def browser_pid(self):
        return self.driver.service.process.pid

    def cdp(self, command, **params):
        return self.driver.execute_cdp_cmd(command, params)

    def add_preload(self, source):
        self.cdp("Page.addScriptToEvaluateOnNewDocument", source=source)

    def emulate(self, width, height, ratio):
        landscape = width > height
        self.cdp("Emulation.setDeviceMetricsOverride", width=width, height=height, deviceScaleFactor=ratio,
                 mobile=True, screenOrientation={"type": "landscapePrimary" if landscape else "portraitPrimary",
                                                 "angle": 90 if landscape else 0})
        self.cdp("Emulation.setTouchEmulationEnabled", enabled=True, maxTouchPoints=5)

    def set_quota(self, origin, size):
        self.cdp("Storage.overrideQuotaForOrigin", origin=origin, quotaSize=size)

    def set_persistent(self, origin, granted):
        """What navigator.storage.persist() answers on this origin."""
        self.cdp("Browser.setPermission", permission={"name": "persistent-storage"},
                 setting="granted" if granted else "denied", origin=origin)

    def offline(self):
        self.cdp("Network.enable")
        self.cdp("Network.emulateNetworkConditions", offline=True, latency=0, downloadThroughput=-1,
                 uploadThroughput=-1)

    _TOUCH = {"down": "touchStart", "up": "touchEnd", "move": "touchMove"}
    _MOUSE = {"down": "mousePressed", "up": "mouseReleased", "move": "mouseMoved"}

    def mouse(self, kind, x, y, buttons, button=0):
        name = {0: "left", 1: "middle", 2: "right"}[button] if kind != "move" or buttons else "none"
        self.cdp("Input.dispatchMouseEvent", type=self._MOUSE[kind], x=x, y=y, button=name, buttons=buttons,
                 clickCount=1 if kind != "move" else 0)

    def finger(self, kind, x, y):
        self.cdp("Input.dispatchTouchEvent", type=self._TOUCH[kind], touchPoints=[] if kind == "up" else
                 [{"x": x, "y": y}])

    def key(self, down, key, code, text, vk):
        if down:
            event = dict(type="keyDown" if text else "rawKeyDown", key=key, code=code, windowsVirtualKeyCode=vk)
            if text:
                event.update(text=text, unmodifiedText=text)
        else:
            event = dict(type="keyUp", key=key, code=code, windowsVirtualKeyCode=vk)
        self.cdp("Input.dispatchKeyEvent", **event)

    def insert_text(self, text):
        self.cdp("Input.insertText", text=text)

    def log(self):
        return [e["message"] for e in self.driver.get_log("browser")]

    def quit(self):
        try:
            self.driver.quit()
        finally:
            if self.display:
                self.display.stop()


# --- Firefox over WebDriver BiDi -------------------------------------------------

class BiDiError(HarnessError):
    pass


class BiDi:
    """A WebDriver BiDi connection: commands wait for their answer; events go
    to the handlers subscribed."""

    def __init__(self, url):
        import websockets

        self.loop = asyncio.new_event_loop()
        self.thread = threading.Thread(target=self.loop.run_forever, daemon=True)
        self.thread.start()
        self.next_id = 0
        self.pending = {}
        self.handlers = {}
        self.lock = threading.Lock()
        async def connect():
            return await websockets.connect(url, max_size=None, ping_interval=None)

        self.ws = self._run(connect(), 30)
        asyncio.run_coroutine_threadsafe(self._read(), self.loop)

    def _run(self, coroutine, timeout):
        return asyncio.run_coroutine_threadsafe(coroutine, self.loop).result(timeout)

    async def _read(self):
        try:
            async for text in self.ws:
                message = json.loads(text)
                if "id" in message and message["id"] in self.pending:
                    future = self.pending.pop(message["id"])
                    future.set_result(message)
                elif message.get("type") == "event":
                    for handler in self.handlers.get(message["method"], []):
                        handler(message["params"])
        except Exception:  # noqa: BLE001 - the connection closed
            pass
        for future in self.pending.values():
            if not future.done():
                future.set_result({"type": "error", "error": "closed", "message": "the browser is gone"})

    def command(self, method, timeout=60, **params):
        import concurrent.futures

        with self.lock:
            self.next_id += 1
            ident = self.next_id
        future = concurrent.futures.Future()
        self.pending[ident] = future
        self._run(self.ws.send(json.dumps({"id": ident, "method": method, "params": params})), 10)
        try:
            answer = future.result(timeout)
        except concurrent.futures.TimeoutError:
            self.pending.pop(ident, None)
            raise BiDiError("%s: no answer within %s s" % (method, timeout))
        if answer.get("type") == "error":
            raise BiDiError("%s: %s: %s" % (method, answer.get("error"), answer.get("message")))
        return answer["result"]

    def on(self, event, handler):
        self.handlers.setdefault(event, []).append(handler)

    def close(self):
        try:
            self._run(self.ws.close(), 5)
        except Exception:  # noqa: BLE001
            pass
        self.loop.call_soon_threadsafe(self.loop.stop)


def _from_remote(value):
    """A BiDi remote value as Python."""
    kind = value.get("type")
    if kind in ("undefined", "null"):
        return None
    if kind in ("string", "boolean"):
        return value["value"]
    if kind == "number":
        v = value["value"]
        if isinstance(v, str):
            return {"NaN": float("nan"), "-0": 0, "Infinity": float("inf"), "-Infinity": float("-inf")}[v]
        return v
    if kind in ("array", "set"):
        return [_from_remote(v) for v in value.get("value", [])]
    if kind == "object":
        return {k if isinstance(k, str) else _from_remote(k): _from_remote(v) for k, v in value.get("value", [])}
    if kind == "node":
        return value
    return value.get("value")


def _to_local(value):
    if value is None:
        return {"type": "null"}
    if isinstance(value, bool):
        return {"type": "boolean", "value": value}
    if isinstance(value, (int, float)):
        return {"type": "number", "value": value}
    if isinstance(value, str):
        return {"type": "string", "value": value}
    if isinstance(value, (list, tuple)):
        return {"type": "array", "value": [_to_local(v) for v in value]}
    if isinstance(value, dict):
        return {"type": "object", "value": [[str(k), _to_local(v)] for k, v in value.items()]}
    raise HarnessError("cannot pass %r to the page" % (value,))


class _SwitchTo:
    def __init__(self, driver):
        self.driver = driver

    def new_window(self, kind="tab"):
        self.driver.context = self.driver.bidi.command("browsingContext.create", type=kind)["context"]
        self.driver.bidi.command("browsingContext.activate", context=self.driver.context)

    def window(self, handle):
        self.driver.context = handle
        self.driver.bidi.command("browsingContext.activate", context=handle)


class FirefoxDriver:
    """The Selenium driver calls the tests use, over BiDi."""

    def __init__(self, bidi, context):
        self.bidi = bidi
        self.context = context
        self.switch_to = _SwitchTo(self)
        self.script_timeout = 30

    @property
    def current_window_handle(self):
        return self.context

    def set_script_timeout(self, seconds):
        self.script_timeout = seconds

    def get(self, url):
        self.bidi.command("browsingContext.navigate", context=self.context, url=url, wait="complete")

    def refresh(self):
        self.bidi.command("browsingContext.reload", context=self.context, wait="complete")

    def close(self):
        """Closes the current tab, as Selenium's close does."""
        self.bidi.command("browsingContext.close", context=self.context)

    def back(self):
        self.bidi.command("browsingContext.traverseHistory", context=self.context, delta=-1)

    def forward(self):
        self.bidi.command("browsingContext.traverseHistory", context=self.context, delta=1)

    def _call(self, declaration, args, wait):
        result = self.bidi.command("script.callFunction", timeout=self.script_timeout + 10,
                                   functionDeclaration=declaration, awaitPromise=wait,
                                   arguments=[_to_local(a) for a in args],
                                   target={"context": self.context}, resultOwnership="none")
        if result.get("type") == "exception":
            details = result["exceptionDetails"]
            raise BiDiError("script failed: %s" % details.get("text"))
        return _from_remote(result["result"])

    def execute_script(self, script, *args):
        # As in WebDriver classic, a promise returned is waited for.
        return self._call("function () {\n%s\n}" % script, args, True)

    def execute_async_script(self, script, *args):
        declaration = """function () {
            var args = Array.prototype.slice.call(arguments);
            return new Promise(function (resolve, reject) {
              var timer = setTimeout(function () { reject(new Error("script timeout")); }, %d);
              args.push(function (value) { clearTimeout(timer); resolve(value); });
              (function () {\n%s\n}).apply(null, args);
            });
        }""" % (self.script_timeout * 1000, script)
        return self._call(declaration, args, True)

    def save_screenshot(self, path):
        data = self.bidi.command("browsingContext.captureScreenshot", context=self.context)["data"]
        with open(path, "wb") as f:
            f.write(base64.b64decode(data))
        return True


_FIREFOX_PREFS = {
    # A quiet browser: no first-run pages, updates or reports.
    "browser.shell.checkDefaultBrowser": False, "browser.startup.homepage_override.mstone": "ignore",
    "datareporting.policy.dataSubmissionEnabled": False, "toolkit.telemetry.reportingpolicy.firstRun": False,
    "app.update.disabledForTesting": True, "browser.aboutwelcome.enabled": False,
    # The saved game goes to the session's own folder, without a dialog.
    "browser.download.folderList": 2, "browser.download.useDownloadDir": True,
    "browser.download.always_ask_before_handling_new_types": False, "browser.download.manager.showWhenStarting": False,
    "browser.download.alwaysOpenPanel": False,
    # Service workers and storage as on any site.
    "dom.serviceWorkers.enabled": True,
}


class Firefox(Engine):
    name = "firefox"

    @classmethod
    def lacks(cls, what):
        return {
            # Its one limit for all sites, in KiB, holds when a database opens:
            # a full quota there keeps nothing at all (the page says so), it
            # never lets the files load and then refuses a save.
            "limit the quota": "Firefox's quota cannot fill up between reading the files and saving them",
        }.get(what)

    def __init__(self, profile, window_size, downloads, headed=False):
        prefs = dict(_FIREFOX_PREFS)
        prefs["browser.download.dir"] = downloads
        with open(os.path.join(profile, "user.js"), "w") as f:
            for k, v in prefs.items():
                f.write("user_pref(%s, %s);\n" % (json.dumps(k), json.dumps(v)))
        env = dict(os.environ, TZ="UTC", MOZ_CRASHREPORTER_DISABLE="1")
        self.display = _own_display(window_size, headed)
        if self.display:
            env["DISPLAY"] = self.display.name
        else:
            env.update(MOZ_HEADLESS="1", MOZ_HEADLESS_WIDTH=str(window_size[0]),
                       MOZ_HEADLESS_HEIGHT=str(window_size[1]))
        self.process = subprocess.Popen(
            ["/usr/bin/firefox-esr"] + ([] if headed else ["--headless"]) +
            ["--remote-debugging-port=0", "--profile", profile,
             "--width", str(window_size[0]), "--height", str(window_size[1]), "--no-remote"],
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, env=env)
        url = None
        deadline = time.monotonic() + 60
        while time.monotonic() < deadline:
            line = self.process.stderr.readline().decode(errors="replace")
            if not line:
                break
            m = re.search(r"WebDriver BiDi listening on (ws://\S+)", line)
            if m:
                url = m.group(1)
                break
        if url is None:
            stop_process(self.process)
            if self.display:
                self.display.stop()
            raise HarnessError("firefox-esr did not open its WebDriver BiDi port")
        # Its further output is not needed, but must not fill the pipe.
        threading.Thread(target=self.process.stderr.read, daemon=True).start()
        self.bidi = BiDi(url + "/session")
        self.bidi.command("session.new", capabilities={"alwaysMatch": {
            "acceptInsecureCerts": True, "unhandledPromptBehavior": {"default": "ignore"}}})
        self.messages = []
        self.bidi.on("log.entryAdded", lambda p: self.messages.append(p.get("text") or ""))
        self.bidi.command("session.subscribe", events=["log.entryAdded"])
        top = self.bidi.command("browsingContext.getTree")["contexts"][0]["context"]
        self.driver = FirefoxDriver(self.bidi, top)
        self.bidi.command("browsingContext.setViewport", context=top,
                          viewport={"width": window_size[0], "height": window_size[1]}, devicePixelRatio=1)
        self.window_size = window_size
        self.downloads = downloads
        self.touching = False

    def browser_pid(self):
        return self.process.pid

    def add_preload(self, source):
        self.bidi.command("script.addPreloadScript", functionDeclaration="function () {\n%s\n}" % source)

    def emulate(self, width, height, ratio):
        self.bidi.command("browsingContext.setViewport", context=self.driver.context,
                          viewport={"width": width, "height": height}, devicePixelRatio=ratio)
        try:
            self.bidi.command("emulation.setTouchOverride", maxTouchPoints=5)
        except BiDiError:
            pass  # older releases: touch actions still arrive as touches

    def set_persistent(self, origin, granted):
        self.bidi.command("permissions.setPermission", descriptor={"name": "persistent-storage"},
                          state="granted" if granted else "denied", origin=origin)

    def offline(self):
        try:
            self.bidi.command("emulation.setNetworkConditions", networkConditions={"type": "offline"})
        except BiDiError as error:
            raise Unsupported("firefox cannot go offline: %s" % error)

    def _actions(self, source):
        self.bidi.command("input.performActions", context=self.driver.context, actions=[source])

    def mouse(self, kind, x, y, buttons, button=0):
        steps = [{"type": "pointerMove", "x": int(round(x)), "y": int(round(y)), "origin": "viewport"}]
        if kind == "down":
            steps.append({"type": "pointerDown", "button": button})
        elif kind == "up":
            steps.append({"type": "pointerUp", "button": button})
        self._actions({"type": "pointer", "id": "mouse", "parameters": {"pointerType": "mouse"}, "actions": steps})

    def finger(self, kind, x, y):
        steps = [{"type": "pointerMove", "x": int(round(x)), "y": int(round(y)), "origin": "viewport"}]
        if kind == "down":
            steps.append({"type": "pointerDown", "button": 0})
        elif kind == "up":
            steps = [{"type": "pointerUp", "button": 0}]
        self._actions({"type": "pointer", "id": "finger", "parameters": {"pointerType": "touch"}, "actions": steps})

    def key(self, down, key, code, text, vk):
        self._actions({"type": "key", "id": "keyboard", "actions": [
            {"type": "keyDown" if down else "keyUp", "value": webdriver_key(key)}]})

    def insert_text(self, text):
        # A phone's keyboard: one character after another into the focused element.
        for ch in text:
            self._actions({"type": "key", "id": "keyboard", "actions": [
                {"type": "keyDown", "value": ch}, {"type": "keyUp", "value": ch}]})

    def log(self):
        messages, self.messages = self.messages, []
        return messages

    def quit(self):
        # Closed as a player closes it: killed, Firefox may not have written
        # the page's local storage to the profile yet, which the next visit reads.
        try:
            self.bidi.command("browser.close", timeout=10)
        except HarnessError:
            pass
        self.bidi.close()
        try:
            self.process.wait(30)
        except subprocess.TimeoutExpired:
            pass
        stop_process(self.process, grace=5)
        if self.display:
            self.display.stop()


# --- WebKitGTK -------------------------------------------------------------------------

MINIBROWSER = "/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser"


def _again_when_unparsed(run):
    """WebKitGTK's driver now and then answers a script with "Could not parse
    script result", though the page is fine: the harness's scripts only read
    or write the same again, so they are asked once more."""
    from selenium.common.exceptions import WebDriverException

    def again(script, *args):
        for attempt in range(3):
            try:
                return run(script, *args)
            except WebDriverException as e:
                if "Could not parse script result" not in str(e) or attempt == 2:
                    raise
                time.sleep(0.2)

    return again


class WebKit(Engine):
    name = "webkit"
    preload = False
    device = False

    @classmethod
    def lacks(cls, what):
        return {
            "pose as a phone": "WebKitGTK's WebDriver cannot set a device pixel ratio or a phone's viewport",
            "go offline": "WebKitGTK's WebDriver has no network conditions; the stopped server is the test",
            "limit the quota": "WebKitGTK's WebDriver cannot set a site's storage quota",
            "come back to a site's storage": "MiniBrowser's automation sessions keep nothing on disk, so a "
                                             "new browser starts with none",
            "answer for persistent storage": "WebKitGTK's WebDriver cannot set what navigator.storage.persist() "
                                             "answers",
        }.get(what)

    def __init__(self, profile, window_size, downloads, headed=True):
        from selenium import webdriver
        from selenium.webdriver.webkitgtk.options import Options

        self.display = Display(window_size[0] + 64, window_size[1] + 64)
        # The driver starts the browser with this process's environment: the
        # browser's storage and downloads go under the profile.
        config = os.path.join(profile, "config")
        os.makedirs(config, exist_ok=True)
        with open(os.path.join(config, "user-dirs.dirs"), "w") as f:
            f.write('XDG_DOWNLOAD_DIR="%s"\n' % downloads)
        saved = dict(os.environ)
        os.environ.update(DISPLAY=self.display.name, TZ="UTC", XDG_CONFIG_HOME=config,
                          XDG_DATA_HOME=os.path.join(profile, "data"), XDG_CACHE_HOME=os.path.join(profile, "cache"))
        self.profile = profile
        opts = Options()
        opts.binary_location = MINIBROWSER
        opts.add_argument("--automation")
        opts.add_argument("--enable-write-console-messages-to-stdout=true")
        try:
            self.driver = webdriver.WebKitGTK(executable_path="/usr/bin/WebKitWebDriver", options=opts,
                                              service_log_path=os.devnull)
        except Exception:
            self.display.stop()
            raise
        finally:
            os.environ.clear()
            os.environ.update(saved)
        self.driver.set_script_timeout(30)
        self.driver.set_window_rect(0, 0, *window_size)
        self.downloads = downloads
        for name in ("execute_script", "execute_async_script"):
            setattr(self.driver, name, _again_when_unparsed(getattr(self.driver, name)))

    def browser_pid(self):
        return self.driver.service.process.pid

    def _actions(self):
        from selenium.webdriver.common.actions.action_builder import ActionBuilder
        from selenium.webdriver.common.actions.pointer_input import PointerInput
        from selenium.webdriver.common.actions import interaction

        return ActionBuilder, PointerInput, interaction

    def _pointer(self, kind_name, source, kind, x, y, button):
        from selenium.common.exceptions import WebDriverException

        ActionBuilder, PointerInput, _ = self._actions()
        pointer = PointerInput(kind_name, source)
        builder = ActionBuilder(self.driver, mouse=pointer)
        builder.pointer_action.move_to_location(int(round(x)), int(round(y)))
        if kind == "down":
            builder.pointer_action.pointer_down(button)
        elif kind == "up":
            builder.pointer_action.pointer_up(button)
        try:
            builder.perform()
        except WebDriverException as e:
            # Seen about once in 25 busy runs, in the error's place an empty
            # message. Sending the same again is safe: a button already down
            # or already up is left as it is.
            if e.msg or type(e) is not WebDriverException:
                raise
            print("note: WebKit's driver failed a pointer %s without saying why; sent once more" % kind)
            sys.stdout.flush()
            builder.perform()

    def mouse(self, kind, x, y, buttons, button=0):
        from selenium.webdriver.common.actions import interaction

        self._pointer(interaction.POINTER_MOUSE, "mouse", kind, x, y, button)

    def finger(self, kind, x, y):
        from selenium.webdriver.common.actions import interaction

        self._pointer(interaction.POINTER_TOUCH, "finger", kind, x, y, 0)

    def key(self, down, key, code, text, vk):
        from selenium.webdriver.common.actions.action_builder import ActionBuilder

        builder = ActionBuilder(self.driver)
        if down:
            builder.key_action.key_down(webdriver_key(key))
        else:
            builder.key_action.key_up(webdriver_key(key))
        builder.perform()

    def insert_text(self, text):
        for ch in text:
            self.key(True, ch, "", ch, 0)
            self.key(False, ch, "", ch, 0)

    def log(self):
        return self.driver.execute_script("return (window.rotandorConsole || []).splice(0);") or []

    def quit(self):
        try:
            self.driver.quit()
        finally:
            self.display.stop()
