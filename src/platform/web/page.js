// The page around the game: the canvas, the input queue the game polls, the
// message box, storing the player's files (storage.js) and the page after the
// end. web_platform.cpp calls into Module.page; nothing here knows the game.
"use strict";

Module.page = (function () {
  var storage = Module.storage;
  var BUTTON = { 0: 1, 1: 4, 2: 2 };  // DOM button number to the game's bit

  var canvas = null, ctx = null, width = 0, height = 0;
  var queue = [];
  var buttons = 0;          // held now, as far as the page saw
  var deliveredButtons = 0; // as the game last heard
  var x = -1, y = -1, inside = false;
  var boxOpen = false, over = false, running = false;
  var away = false;  // kept by the browser for "back": stores nothing more

  function element(id) { return document.getElementById(id); }

  var waiting = null;  // wakes a game waiting for input
  function push(kind, numbers, text) {
    while (numbers.length < 7) numbers.push(0);
    queue.push({ kind: kind, numbers: numbers, text: text || "" });
    if (waiting) waiting();
  }

  // Browsers let a page make sound only after the player has done something
  // with it; the first press or key opens the sound.
  var audio = null;
  function openAudio() {
    if (audio || typeof AudioContext === "undefined") return;
    try { audio = new AudioContext(); } catch (e) { audio = null; }
    // A running context renders silence on threads of its own, many times a
    // second: it sleeps between beeps.
    if (audio) audio.suspend().catch(function () {});
  }
  var sounding = 0;  // beeps still to end before the sound may sleep

  function pushPointer() {
    var last = queue[queue.length - 1];
    // Moves alone need not pile up while the game is busy.
    if (last && last.kind === 0 && last.numbers[2] === buttons && deliveredButtons === buttons) queue.pop();
    push(0, [x, y, buttons, inside ? 1 : 0]);
    deliveredButtons = buttons;
  }

  function locate(event) {
    if (!canvas) return;
    var r = canvas.getBoundingClientRect();
    if (r.width <= 0 || r.height <= 0) return;
    x = Math.floor((event.clientX - r.left) * width / r.width);
    y = Math.floor((event.clientY - r.top) * height / r.height);
    inside = x >= 0 && y >= 0 && x < width && y < height;
  }

  function listening() { return running && !over && !boxOpen; }

  // The typed stake on a touch screen ------------------------------------------
  //
  // While the game reads a line, a finger gives the focus to a real input, so
  // the device opens its number keyboard: a page may open it only from within
  // a touch's own event handler. What is typed there reaches the game as the
  // keys a hardware keyboard gives. The input holds the line as typed, so the
  // keyboard's delete key has something to delete; Android's keyboards send
  // no key events, only changes of the value.
  var entry = { open: false, x: 0, y: 0, typed: "", touchedAt: -1e9, fingerDown: false, closing: 0 };
  var ACTIVATION_MS = 5000;  // how long a touch lets a page open the keyboard (Chromium)

  function typeKey(key) { push(1, [0, 0], "\0" + key); }

  function focusEntry() {
    var input = element("entry");
    if (!entry.open || document.activeElement === input || !canvas) return;
    var r = canvas.getBoundingClientRect();
    input.style.left = r.left + entry.x * r.width / width + "px";
    input.style.top = r.top + entry.y * r.height / height + "px";
    // Where the line is: a phone shows the place it types at above its keyboard.
    input.focus();
  }

  function entryTyped() {
    var input = element("entry"), now = input.value, was = entry.typed, same = 0;
    while (same < now.length && same < was.length && now[same] === was[same]) same++;
    for (var i = same; i < was.length; i++) typeKey("Backspace");
    for (var j = same; j < now.length; j++) typeKey(now[j]);
    entry.typed = now;
  }

  function entryDone() {
    entryTyped();
    typeKey("Enter");
    element("entry").value = entry.typed = "";
  }

  function installEntry() {
    var input = element("entry");
    input.addEventListener("input", function () { if (listening()) entryTyped(); });
    input.addEventListener("keydown", function (e) {
      if (!listening()) return;
      if (e.key === "Enter") {
        e.preventDefault();
        entryDone();
      } else if (e.key.length > 1 && ["Backspace", "Unidentified", "Process", "Dead"].indexOf(e.key) < 0) {
        // Escape, arrows and the like type nothing into the input: they go to the game as they are.
        e.preventDefault();
        push(1, [e.ctrlKey ? 1 : 0, e.altKey ? 1 : 0], e.code + "\0" + e.key);
        if (e.key === "Escape") input.value = entry.typed = "";
      }
    });
    // A keyboard's "done" or "go" key may submit the form without a key event.
    element("entry-form").addEventListener("submit", function (e) {
      e.preventDefault();
      if (listening()) entryDone();
    });
  }

  function fingerDown() {
    entry.touchedAt = performance.now();
    entry.fingerDown = true;
    focusEntry();  // a keyboard closed before the line ended opens again
  }

  function fingerUp() {
    entry.touchedAt = performance.now();
    entry.fingerDown = false;
    focusEntry();  // the finger that started the line
  }

  function lineEntry(open, x, y) {
    var input = element("entry");
    clearTimeout(entry.closing);
    if (open) {
      entry.open = true;
      entry.x = x;
      entry.y = y;
      // Within the touch's activation a page may still open the keyboard;
      // else the finger's release does.
      if (!entry.fingerDown && performance.now() - entry.touchedAt < ACTIVATION_MS) focusEntry();
      return;
    }
    entry.open = false;
    input.value = entry.typed = "";
    // A refused amount starts the next line at once: the keyboard stays open for it.
    entry.closing = setTimeout(function () {
      if (entry.open || document.activeElement !== input) return;
      input.blur();
      window.scrollTo(0, 0);
    });
  }

  // Room the controls take below or beside the game, and the hint to turn a
  // small screen held upright above it, in CSS pixels.
  var BELOW = 44, BESIDE = 200, HINT = 56, GAME_WIDTH = 930;
  var view = null, viewCtx = null, large = null, largeCtx = null, fitted = false, viewDue = false;

  function place(e, left, top, w, h) {
    e.style.left = left + "px";
    e.style.top = top + "px";
    if (w !== undefined) {
      e.style.width = w + "px";
      e.style.height = h + "px";
    }
  }

  // Where a whole number of device pixels per game pixel fits (the game at
  // its own size in CSS pixels or larger), the largest such: every pixel a
  // sharp square. On a smaller viewport (a phone) the whole game at the
  // largest scale that fits, drawn into a canvas of the device's own pixels
  // (see showView). Always on whole device pixels, and never scrolled.
  function fit() {
    if (!canvas || canvas.hidden) return;
    var ratio = window.devicePixelRatio || 1, vw = window.innerWidth, vh = window.innerHeight;
    var turn = vh > vw && vw < GAME_WIDTH, top = turn ? HINT : 0;
    function scale(w, h) { return Math.min(w / width, h / height); }
    // The controls go where they cost the game the least.
    var beside = scale(vw - BESIDE, vh - top) > scale(vw, vh - top - BELOW);
    var roomW = vw - (beside ? BESIDE : 0), roomH = vh - top - (beside ? 0 : BELOW);
    var factor = scale(roomW * ratio, roomH * ratio);
    fitted = roomW < width || roomH < height || factor < 1;
    if (!fitted) factor = Math.floor(factor);
    var w = Math.round(width * factor), h = Math.round(height * factor);  // device pixels
    var left = Math.floor((roomW * ratio - w) / 2) / ratio, y = top + Math.floor((roomH * ratio - h) / 2) / ratio;
    place(canvas, left, y, w / ratio, h / ratio);
    canvas.style.opacity = fitted ? 0 : "";  // still takes the input
    view.hidden = !fitted;
    if (fitted) {
      view.width = w;
      view.height = h;
      place(view, left, y, w / ratio, h / ratio);
      var whole = Math.ceil(factor);
      large.width = width * whole;
      large.height = height * whole;
      showView();
    }
    var controls = element("controls");
    controls.hidden = false;
    controls.className = beside ? "beside" : "below";
    if (beside) place(controls, left + w / ratio + 12, y + (h / ratio - controls.offsetHeight) / 2);
    else place(controls, (vw - controls.offsetWidth) / 2, y + h / ratio + 8);
    element("turn").hidden = !turn;
  }

  function hideGame() {
    canvas.hidden = view.hidden = element("controls").hidden = element("turn").hidden = true;
  }

  // The game on a viewport smaller than itself, as crisp as a scale that is
  // no whole number can be: each game pixel is first repeated to the next
  // whole factor above the scale, and that picture is then smoothed down to
  // the device's pixels. Every pixel keeps its size to within one device
  // pixel and only its edges blend, where plain nearest-neighbour scaling
  // would draw pixels one and two device pixels wide at random and drop
  // lines below a scale of one.
  function showView() {
    viewDue = false;
    if (!fitted) return;
    var source = canvas;
    if (large.width > width) {
      largeCtx.imageSmoothingEnabled = false;
      largeCtx.drawImage(canvas, 0, 0, large.width, large.height);
      source = large;
    }
    viewCtx.imageSmoothingEnabled = true;
    viewCtx.imageSmoothingQuality = "high";
    viewCtx.drawImage(source, 0, 0, view.width, view.height);
  }

  function press(bit, event) {
    locate(event);
    buttons |= bit;
    if (listening()) pushPointer();
  }

  function release(bit, event) {
    locate(event);
    if (!(buttons & bit)) return;
    buttons &= ~bit;
    if (listening()) pushPointer();
  }

  function install() {
    canvas = element("screen");
    view = element("view");
    viewCtx = view.getContext("2d", { alpha: false });
    large = document.createElement("canvas");
    largeCtx = large.getContext("2d", { alpha: false });
    canvas.addEventListener("mousedown", function (e) {
      openAudio();
      if (BUTTON[e.button] === undefined) return;
      e.preventDefault();
      press(BUTTON[e.button], e);
    });
    window.addEventListener("mouseup", function (e) {
      if (BUTTON[e.button] !== undefined) release(BUTTON[e.button], e);
    });
    window.addEventListener("mousemove", function (e) {
      locate(e);
      if (listening()) pushPointer();
    });
    document.documentElement.addEventListener("mouseleave", function () {
      inside = false;
      if (listening()) pushPointer();
    });
    // No menu on a long press or a right click during play.
    document.addEventListener("contextmenu", function (e) { if (running && !over) e.preventDefault(); });
    // A finger is the left button; its press is not turned into mouse events too.
    canvas.addEventListener("pointerdown", function (e) {
      if (e.pointerType !== "touch") return;
      e.preventDefault();
      press(1, e);
      fingerDown();
    });
    canvas.addEventListener("pointermove", function (e) {
      if (e.pointerType !== "touch") return;
      locate(e);
      if (listening()) pushPointer();
    });
    ["pointerup", "pointercancel"].forEach(function (type) {
      canvas.addEventListener(type, function (e) {
        if (e.pointerType !== "touch") return;
        release(1, e);
        fingerUp();
      });
    });
    installEntry();
    window.addEventListener("keydown", function (e) {
      openAudio();
      if (!listening() || e.target === element("entry")) return;
      e.preventDefault();
      // The physical key, then what it types; the game side splits them.
      push(1, [e.ctrlKey ? 1 : 0, e.altKey ? 1 : 0], e.code + "\0" + (e.isComposing ? "" : e.key));
    });
    window.addEventListener("keyup", function (e) {
      if (running && !over) push(2, [], e.code);
    });
    window.addEventListener("blur", function () { if (running && !over) push(3, [0]); });
    window.addEventListener("focus", function () { if (running && !over) push(3, [1]); });
    window.addEventListener("resize", fit);
    // Closing the tab closes the window: the game ends, and what it wrote stays.
    // A page the browser may keep to show again on "back" is not closed: it
    // stores, lets another tab play, and starts afresh from what is stored if
    // it comes back (the files may have moved on meanwhile).
    window.addEventListener("pagehide", function (e) {
      if (!running || over) return;
      if (!e.persisted) push(4, []);
      persist();
      if (e.persisted) {
        away = true;  // that store was the last
        releaseFiles();
      }
    });
    window.addEventListener("pageshow", function (e) { if (e.persisted && away) location.reload(); });
    element("save-game").addEventListener("click", function () { this.blur(); saveGame(); });
    element("load-game").addEventListener("click", function () { this.blur(); element("load-file").click(); });
    element("load-file").addEventListener("change", function () {
      if (this.files.length) loadGame(this.files[0]);
      this.value = "";
    });
    element("again").addEventListener("click", function () { location.reload(); });
    // Anywhere on the page: browsers ask the player, if at all, only during one.
    document.addEventListener("pointerdown", askToKeep, { capture: true, once: true });
    element("retry").addEventListener("click", function () { location.reload(); });
  }

  // What the player is told when the browser keeps nothing, or stops keeping.
  var CANNOT_KEEP = "Dieser Browser l\u00e4sst die Seite nichts speichern. Sie k\u00f6nnen spielen, " +
      "aber Ihr Fortschritt geht verloren, sobald Sie die Seite schlie\u00dfen oder neu laden. " +
      "Mit \u201eSpielstand speichern\u201c sichern Sie ihn als Datei.";
  var NOT_STORED = "Ihr Spielstand konnte in diesem Browser nicht gespeichert werden (kein Platz " +
      "oder keine Erlaubnis). Gespeichert bleibt der zuletzt gesicherte Stand. Sie k\u00f6nnen weiterspielen; " +
      "mit \u201eSpielstand speichern\u201c sichern Sie den jetzigen Stand als Datei.";
  var MAY_DELETE = "Dieser Browser darf Ihren Spielstand l\u00f6schen: wenn der Speicher knapp wird, und Safari " +
      "(auch jeder Browser auf dem iPhone und iPad) schon, wenn Sie die Seite sieben Tage lang nicht \u00f6ffnen. " +
      "Sichern Sie ihn mit \u201eSpielstand speichern\u201c als Datei; mit \u201eSpielstand laden\u201c holen Sie " +
      "ihn zur\u00fcck. Behalten wird er auch, wenn Sie die Seite zum Home-Bildschirm hinzuf\u00fcgen oder als App " +
      "installieren; auf dem iPhone und iPad beginnt die App dort mit eigenem Speicher: laden Sie Ihren Spielstand " +
      "dort mit \u201eSpielstand laden\u201c. Ob ein Spielstand gel\u00f6scht wurde, kann die Seite nicht in " +
      "jedem Browser erkennen.";
  function gone(day) {
    return "Ihr gespeicherter Spielstand ist nicht mehr da: Dieser Browser hat ihn seit Ihrem letzten Besuch " +
        "gel\u00f6scht (gespeichert war er zuletzt am " + day + "). Haben Sie ihn mit \u201eSpielstand " +
        "speichern\u201c gesichert, holen Sie ihn mit \u201eSpielstand laden\u201c zur\u00fcck; sonst beginnt " +
        "das Spiel neu.";
  }
  // An app added to the home screen of an iPhone or iPad keeps storage of
  // its own: a player of the page starts there as a new one.
  var APP_START = "Haben Sie schon im Browser gespielt? Auf dem iPhone und iPad hat die App auf dem " +
      "Home-Bildschirm ihren eigenen Speicher und beginnt neu. Sichern Sie Ihren Spielstand im Browser mit " +
      "\u201eSpielstand speichern\u201c und holen Sie ihn hier mit \u201eSpielstand laden\u201c.";
  function installed() {
    return navigator.standalone === true ||
        !!(window.matchMedia && matchMedia("(display-mode: standalone), (display-mode: fullscreen)").matches);
  }
  var toldFailure = false;

  // Whether the browser keeps the files for good: asked on the first press
  // or touch of a visit, the answer kept. While it does not, the player is
  // told once, and again only when that changes: the answer, or the first
  // task solved, when the progress is first worth something.
  var keeps = null, TOLD_KEEPS = "rotandor-keeps-told";
  function askToKeep() {
    var s = navigator.storage;
    // Told at once, the box would open before this press reaches the game and swallow it.
    if (!s || !s.persist || !s.persisted) return setTimeout(function () { heard(false); }, 0);
    // Firefox asks the player in a prompt of its own; unanswered, the storage is not kept.
    var unanswered = setTimeout(function () { heard(false); }, 10000);
    s.persisted().then(function (yes) { return yes || s.persist(); }).catch(function () { return false; })
        .then(function (answer) {
          clearTimeout(unanswered);
          heard(answer);
        });
  }
  function heard(answer) {
    keeps = !!answer;
    review();
  }
  function review() {
    if (keeps === null || !storage.usable() || over) return;
    var tasks = storage.player + "/Secrets.dat";
    var state = (keeps ? "kept" : "may go") +
                (FS.analyzePath(tasks).exists && Module.savegame.anyTaskDone(FS.readFile(tasks)) ? ", solved" : "");
    var told = null;
    try { told = localStorage.getItem(TOLD_KEEPS); localStorage.setItem(TOLD_KEEPS, state); } catch (e) { /* told again */ }
    if (!keeps && told !== state) showBox("Rotandor", MAY_DELETE);
  }

  // Stores the files; resolves once they are stored or the store failed,
  // within storage.js's bound. The first failure is told in a box.
  function persist() {
    if (!storage.usable() || away) return Promise.resolve(false);
    return storage.store().then(function (ok) {
      if (!ok && !toldFailure && !over) {
        toldFailure = true;
        showBox("Rotandor", NOT_STORED);
      }
      if (ok) review();
      return ok;
    });
  }

  // The player's files as one download, and back ------------------------------

  var NO_FILES = "Es gibt noch keinen Spielstand zum Speichern.";
  var LOAD_NOT_KEPT = "Der Spielstand kann nicht geladen werden: Dieser Browser l\u00e4sst die Seite nichts speichern.";
  var LOAD_NOT_STORED = "Der Spielstand konnte in diesem Browser nicht gespeichert werden. Es wurde nichts geladen.";

  function saveGame() {
    var files = [];
    Module.savegame.names.forEach(function (name) {
      var path = storage.player + "/" + name;
      if (FS.analyzePath(path).exists) files.push({ name: name, bytes: FS.readFile(path), time: FS.stat(path).mtime });
    });
    if (!files.length) return showBox("Rotandor", NO_FILES);
    var d = new Date(), link = document.createElement("a");
    link.href = URL.createObjectURL(new Blob([Module.savegame.write(files)], { type: "application/zip" }));
    link.download = "Rotandor-Spielstand-" + d.getFullYear() + "-" + ("0" + (d.getMonth() + 1)).slice(-2) + "-" +
                    ("0" + d.getDate()).slice(-2) + ".zip";
    document.body.appendChild(link);
    link.click();
    link.remove();
    setTimeout(function () { URL.revokeObjectURL(link.href); }, 60000);
  }

  // The size of the history file: it grows by a line with every settled round.
  var historyAtStart = 0;
  function historySize() {
    var path = storage.home + "/Roulettezahlen.txt";
    return FS.analyzePath(path).exists ? FS.stat(path).size : 0;
  }

  // Checks the file first; after a round of this visit asks whether it may
  // replace the progress; stores it whole, or leaves the stored files as
  // they were; then the page starts again with it.
  function loadGame(file) {
    var check = file.size > Module.savegame.maxSize ? Promise.reject(new Error("die Datei ist viel zu gro\u00df"))
                                                    : file.arrayBuffer().then(Module.savegame.read);
    check.then(function (files) {
      if (!storage.usable()) return showBox("Rotandor", LOAD_NOT_KEPT);
      var asked = historySize() === historyAtStart ? Promise.resolve(true) : ask("Rotandor",
          "Sie haben in diesem Besuch schon gespielt. Der Spielstand aus \u201e" + file.name + "\u201c ersetzt " +
          "Ihren jetzigen Fortschritt, und das Spiel beginnt neu mit ihm. M\u00f6chten Sie ihn laden?", "Laden");
      return asked.then(function (yes) {
        if (!yes) return;
        return storage.replacePlayer(files, Module.savegame.names).then(function (ok) {
          if (ok) location.reload();
          else showBox("Rotandor", LOAD_NOT_STORED);
        });
      });
    }, function (error) {
      if (error.browserLacks) {
        return showBox("Rotandor", "\u201e" + file.name + "\u201c kann hier nicht geladen werden: " + error.message +
                       ". Die Archive, die \u201eSpielstand speichern\u201c schreibt, sind nicht gepackt und laden " +
                       "\u00fcberall; gepackte l\u00e4dt ein neuerer Browser. Es wurde nichts geladen.");
      }
      showBox("Rotandor", "\u201e" + file.name + "\u201c ist kein Spielstand von Rotandor: " +
              (error.refusal || !(error instanceof Error) ? error.message : "das Archiv ist besch\u00e4digt") +
              ". Es wurde nichts geladen.");
    });
  }

  // Boxes show one after the other.
  var boxes = Promise.resolve();
  function showBox(caption, text) {
    boxes = boxes.then(function () { return openBox(caption, text); });
    return boxes;
  }

  // A box with a second button, "Abbrechen"; true when the first is pressed.
  function ask(caption, text, yes) {
    var answer = boxes.then(function () { return openBox(caption, text, yes); });
    boxes = answer.then(function () {});
    return answer;
  }

  function openBox(caption, text, yes) {
    return new Promise(function (resolve) {
      var box = element("box"), ok = element("box-ok");
      element("box-caption").textContent = caption;
      element("box-text").textContent = text;
      ok.textContent = yes || "OK";
      element("box-no").hidden = !yes;
      box.returnValue = "";
      boxOpen = true;
      box.addEventListener("close", function () {
        boxOpen = false;
        // Buttons let go over the box were not heard by the game.
        if (buttons !== deliveredButtons) pushPointer();
        resolve(box.returnValue === "ok");
      }, { once: true });
      box.showModal();
      (yes ? element("box-no") : ok).focus();
    });
  }

  var channel = new MessageChannel(), wakers = [];
  channel.port1.onmessage = function () { var w = wakers.shift(); if (w) w(); };

  var api = {
    openCanvas: function (w, h, title) {
      width = w;
      height = h;
      canvas.width = w;
      canvas.height = h;
      ctx = canvas.getContext("2d", { alpha: false });
      ctx.imageSmoothingEnabled = false;
      // A new window starts afresh: held buttons count from their next press.
      queue = [];
      buttons = deliveredButtons = 0;
      element("loading").hidden = true;
      canvas.hidden = false;
      document.title = title;
      fit();
    },
    closeCanvas: function () {
      hideGame();
      queue = [];
    },
    setTitle: function (title) { document.title = title; },
    setIcon: function (bytes, w, h) {
      var c = document.createElement("canvas");
      c.width = w;
      c.height = h;
      c.getContext("2d").putImageData(new ImageData(new Uint8ClampedArray(bytes), w, h), 0, 0);
      element("icon").href = c.toDataURL("image/png");
    },
    drawRows: function (bytes, w, first, rows) {
      var pixels = new Uint8ClampedArray(bytes.buffer, bytes.byteOffset, bytes.length);
      ctx.putImageData(new ImageData(pixels, w, rows), 0, first);
      if (fitted && !viewDue) {
        viewDue = true;
        requestAnimationFrame(showView);
      }
    },
    takeInput: function () { return queue.shift(); },
    yieldOnce: function () {
      return new Promise(function (resolve) { wakers.push(resolve); channel.port2.postMessage(0); });
    },
    waitForInput: function (ms) {
      // Files the game wrote outside a round (the dates at the start) are
      // stored while it waits.
      if (storage.usable() && storage.changed()) persist();
      if (queue.length) return Promise.resolve();
      return new Promise(function (resolve) {
        var timer = setTimeout(done, ms);
        function done() { clearTimeout(timer); waiting = null; resolve(); }
        waiting = done;
      });
    },
    lineEntry: lineEntry,
    beep: function () {
      if (!audio) return;
      sounding++;
      audio.resume().then(function () {
        var tone = audio.createOscillator(), level = audio.createGain(), t = audio.currentTime;
        tone.frequency.value = 800;
        level.gain.setValueAtTime(0.15, t);
        level.gain.exponentialRampToValueAtTime(0.001, t + 0.12);
        tone.connect(level).connect(audio.destination);
        tone.onended = function () { if (--sounding === 0) audio.suspend().catch(function () {}); };
        tone.start(t);
        tone.stop(t + 0.12);
      }).catch(function () { sounding--; });
    },
    persist: persist,
    messageBox: showBox,
    ended: function (status) {
      over = true;
      hideGame();
      document.title = "Rotandor";
      element("ended").hidden = false;
      element("again").focus();
      releaseFiles();
      console.log("Rotandor ended with status " + status);
    },
  };

  // Each page stores its whole copy of the files: a second page playing at
  // the same time would overwrite the first one's rounds. One plays, the
  // other waits.
  var releaseFiles = function () {};
  function claimFiles(start) {
    if (!navigator.locks) return start();
    navigator.locks.request("rotandor-files", { ifAvailable: true }, function (lock) {
      if (!lock) {
        element("loading").hidden = true;
        element("busy").hidden = false;
        return;
      }
      start();
      return new Promise(function (resolve) { releaseFiles = resolve; });
    });
  }

  Module.preRun = Module.preRun || [];
  Module.preRun.push(function () {
    install();
    addRunDependency("player-files");
    claimFiles(function () {
      FS.mkdirTree(storage.home);
      FS.chdir(storage.home);
      storage.load().then(function (ok) {
        running = true;
        historyAtStart = historySize();
        removeRunDependency("player-files");
        // Told before the first round.
        if (!ok) showBox("Rotandor", CANNOT_KEEP);
        if (storage.lost()) showBox("Rotandor", gone(storage.lost()));
        else if (storage.fresh() && installed()) showBox("Rotandor", APP_START);
        // What the page around the game has to say (index.html).
        Module.notices = Module.notices || [];
        Module.noticed = function () { while (Module.notices.length) showBox("Rotandor", Module.notices.shift()); };
        Module.noticed();
      });
    });
  });
  Module.onAbort = function () {
    over = true;
    element("loading").textContent = "Rotandor konnte nicht laufen.";
    element("loading").hidden = false;
  };
  return api;
})();
