// The game plays offline: a service worker (sw.js) keeps this build. When the
// server has another, it is fetched whole before the game starts, and the
// page loads again from it.
(function () {
  function start() {
    if (start.done) return;
    start.done = true;
    var script = document.createElement("script");
    script.src = "rotandor.js";
    document.body.appendChild(script);
  }
  // Never waits for the network longer than this.
  function within(ms, promise) {
    return Promise.race([promise, new Promise(function (resolve, reject) { setTimeout(reject, ms); })]);
  }
  var workers = navigator.serviceWorker;
  if (!workers) return start();
  // The first visit plays from the network while the worker keeps a copy.
  var kept = workers.controller;
  if (!kept) setTimeout(start);

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

  within(3000, workers.register("sw.js")).then(function (registration) {
    if (!kept) return;
    return within(3000, Promise.all([keptBuild(), serverBuild()])).then(function (builds) {
      if (!builds[1] || builds[0] === builds[1]) return start();
      return within(30000, installed(registration)).then(function (worker) {
        if (!worker) return start();
        workers.addEventListener("controllerchange", function () { if (!start.done) location.reload(); });
        worker.postMessage("take-over");
        // A build that does not take over in time waits for the next visit.
        setTimeout(start, 5000);
      });
    });
  }).catch(start);
})();
