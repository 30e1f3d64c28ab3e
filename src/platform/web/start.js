// The game plays offline: a service worker (sw.js) keeps this build. When the
// server has another, it is fetched whole before the game starts, and the
// page loads again from it; but the player never waits long for that: an
// update that takes longer comes at a later visit. A page loads the files
// of its own build only (their version is written in by the build).
var Module = { notices: [] };
// Safari before 16 knows no 'wasm-unsafe-eval' and, under this page's
// policy, refuses the WebAssembly: the page moves to its copy whose policy
// lets in eval, and never on from there, nor again from a page it came to
// (a host may send it back here). Where the keyword is known, this tiny
// module runs and the policy reports nothing. (WebKit refuses only an
// instance, Chromium already the compiling.)
(function (run) {
  var MOVED = "rotandor-moved", moved = null;
  try {
    moved = sessionStorage.getItem(MOVED);
    sessionStorage.removeItem(MOVED);
  } catch (e) { /* no storage: the page's name tells */ }
  if (moved || !window.WebAssembly || /\/index-eval(\.html)?$/.test(location.pathname)) return run();
  Promise.resolve(new Uint8Array([0, 97, 115, 109, 1, 0, 0, 0])).then(function (bytes) {
    return WebAssembly.instantiate(bytes);
  }).then(run, function () {
    try { sessionStorage.setItem(MOVED, "1"); } catch (e) { /* as above */ }
    location.replace("index-eval.html");
  });
})(function () {
  var VERSION = "";
  function start() {
    if (start.done) return;
    start.done = true;
    Module.locateFile = function (path) { return path + "?v=" + VERSION; };
    var script = document.createElement("script");
    script.src = "rotandor.js?v=" + VERSION;
    document.body.appendChild(script);
  }
  // Told in the game's box once it runs.
  function tell(text) {
    Module.notices.push(text);
    if (Module.noticed) Module.noticed();
  }
  // Never waits for the network longer than this.
  function within(ms, promise) {
    return Promise.race([promise, new Promise(function (resolve, reject) { setTimeout(reject, ms); })]);
  }
  var workers = navigator.serviceWorker;
  if (!workers) return start();
  // The worker keeps the files of every build an open page says it runs.
  workers.onmessage = function (e) {
    if (e.data === "version" && e.ports[0]) e.ports[0].postMessage(VERSION);
  };
  function tidy() {
    if (workers.controller) workers.controller.postMessage("tidy");
  }
  if (document.readyState === "complete") tidy();
  else window.addEventListener("load", tidy);
  // The first visit plays from the network while the worker keeps a copy;
  // a later one plays its kept build if the newer one is not ready in time.
  var kept = workers.controller;
  setTimeout(start, kept ? 4000 : 0);

  function keptBuild() {
    return new Promise(function (resolve) {
      var channel = new MessageChannel();
      channel.port1.onmessage = function (e) { resolve(e.data); };
      kept.postMessage("build", [channel.port2]);
    });
  }
  function serverBuild() {
    return fetch("sw.js", { cache: "no-store" }).then(function (r) { return r.text(); }).then(function (text) {
      var m = /var CACHE = "([^"]+)"/.exec(text);
      return m && m[1];
    });
  }
  // The worker of the server's build once it has kept all of it; null when
  // it could not.
  function installed(registration) {
    return new Promise(function (resolve) {
      (function look() {
        var worker = registration.installing || registration.waiting;
        if (!worker) return registration.addEventListener("updatefound", look, { once: true });
        if (worker.state === "installed") resolve(worker);
        else if (worker.state === "redundant") resolve(null);
        else worker.addEventListener("statechange", look, { once: true });
      })();
      registration.update().catch(function () {});
    });
  }
  // Without a kept copy the game needs the network at its next start; the
  // player hears it once, until a copy is kept again.
  var TOLD = "rotandor-offline-told";
  function remember(told) {
    try {
      if (told) localStorage.setItem(TOLD, "1");
      else localStorage.removeItem(TOLD);
    } catch (e) { /* no storage: told at each visit */ }
  }
  function watchCopy(registration) {
    if (registration.active) return remember(false);
    function watch(worker) {
      worker.addEventListener("statechange", function () {
        if (worker.state === "activated") return remember(false);
        if (worker.state !== "redundant" || registration.active) return;
        try { if (localStorage.getItem(TOLD)) return; } catch (e) { /* tell it */ }
        remember(true);
        tell("Rotandor konnte in diesem Browser nicht f\u00fcr das Spielen ohne Netz gespeichert werden " +
             "(kein Platz oder die Verbindung brach ab). Zum n\u00e4chsten Start braucht das Spiel das Netz.");
      });
    }
    if (registration.installing) watch(registration.installing);
    else registration.addEventListener("updatefound", function () { watch(registration.installing); }, { once: true });
  }

  within(3000, workers.register("sw.js")).then(function (registration) {
    watchCopy(registration);
    if (!kept) return;
    return within(2000, Promise.all([keptBuild(), serverBuild()])).then(function (builds) {
      if (!builds[1] || builds[0] === builds[1]) return start();
      return installed(registration).then(function (worker) {
        if (!worker) return start();
        // Before the game starts the page loads again on the new build;
        // a page already running keeps its own build's files.
        workers.addEventListener("controllerchange", function () { if (!start.done) location.reload(); });
        worker.postMessage("take-over");
      });
    });
  }).catch(start);
});
