// The player's files and the history file, kept in IndexedDB between visits.
//
// The game reads and writes them in Emscripten's memory file system under
// the home directory; this copies them in at the start and stores what
// changed. One store is one transaction: it is kept whole or not at all, so
// a failed store leaves the stored files as they were. Every call settles,
// in success or failure, within a bounded time, whatever the browser does
// (an open that throws, never answers, or fails; a full quota).
//
// The database is the one Emscripten's IDBFS kept, in its layout (named
// after the home directory, store FILE_DATA, one record per file keyed by
// its path), so what earlier versions of the page stored still loads.
"use strict";

Module.storage = (function () {
  var HOME = "/home/web_user";
  var PLAYER = HOME + "/.local/share/rotandor";  // where the game keeps them, under the page's home
  var DB_VERSION = 21, STORE = "FILE_DATA";
  var LIMIT_MS = 10000;  // no healthy store of a few small files comes near it
  var TEMP = /(^|\/)\.rotandor-[^\/]*\.tmp$/;  // a file being written

  // A mark beside IndexedDB that the player's files were stored, and when: a
  // browser that clears a site's storage to make room leaves its cookies, so
  // the next visit can say the files are gone. (Safari's seven-day rule takes
  // script-written cookies too; there the page cannot tell.)
  var MARK = "rotandor-stored";
  var lost = null;     // the day the vanished files were last stored
  var fresh = false;   // no player's files were stored

  function readMark() {
    try {
      var m = new RegExp("(?:^|; )" + MARK + "=([^;]*)").exec(document.cookie);
      return m ? decodeURIComponent(m[1]) : null;
    } catch (e) {
      return null;
    }
  }

  function hasPlayer(files) {
    return Module.savegame.names.some(function (name) { return files[PLAYER + "/" + name]; });
  }

  function writeMark(files) {
    if (!hasPlayer(files)) return;
    var d = new Date(), day = d.getDate() + "." + (d.getMonth() + 1) + "." + d.getFullYear();
    try {
      document.cookie = MARK + "=" + encodeURIComponent(day) + "; max-age=34560000; SameSite=Strict; path=" +
                        location.pathname.replace(/[^\/]*$/, "") + (location.protocol === "https:" ? "; Secure" : "");
    } catch (e) { /* cookies blocked: the page cannot tell */ }
  }

  var usable = false;  // the files were read: stores may replace them
  var stored = {};     // path -> bytes, as IndexedDB holds them
  var replaced = false;  // a loaded game took their place: the page loads again

  function failure(what) { return new Error(what + ": no answer within " + LIMIT_MS / 1000 + " s"); }

  // Settles within LIMIT_MS; onLate(value) gets what came after that.
  function bounded(start, what, onLate) {
    return new Promise(function (resolve, reject) {
      var settled = false;
      var timer = setTimeout(function () { settled = true; reject(failure(what)); }, LIMIT_MS);
      function finish(ok, value) {
        if (settled) { if (ok && onLate) onLate(value); return; }
        settled = true;
        clearTimeout(timer);
        (ok ? resolve : reject)(value);
      }
      try {
        start(function (v) { finish(true, v); }, function (e) { finish(false, e); });
      } catch (e) {
        finish(false, e);  // indexedDB.open throws where site data is blocked
      }
    });
  }

  function openDatabase() {
    return bounded(function (resolve, reject) {
      var request = indexedDB.open(HOME, DB_VERSION);
      request.onupgradeneeded = function () {
        var db = request.result;
        var files = db.objectStoreNames.contains(STORE) ? request.transaction.objectStore(STORE)
                                                        : db.createObjectStore(STORE);
        if (!files.indexNames.contains("timestamp")) files.createIndex("timestamp", "timestamp", { unique: false });
      };
      request.onsuccess = function () {
        var db = request.result;
        db.onversionchange = function () { db.close(); };
        resolve(db);
      };
      request.onerror = function (e) {
        e.preventDefault();
        reject(request.error || new Error("the database did not open"));
      };
    }, "opening the database", function (db) { db.close(); });
  }

  // One transaction over the files: work(store) queues its requests; true
  // once the transaction is committed.
  function transact(mode, work) {
    return openDatabase().then(function (db) {
      var tx = null;
      return bounded(function (resolve, reject) {
        tx = db.transaction([STORE], mode);
        tx.oncomplete = function () { resolve(true); };
        tx.onabort = function () { reject(tx.error || new Error("the transaction was aborted")); };
        tx.onerror = function (e) { e.preventDefault(); };  // onabort follows
        work(tx.objectStore(STORE));
      }, "a " + mode + " transaction").catch(function (error) {
        // A transaction that did not finish in time is called off: nothing of it stays.
        try { if (tx) tx.abort(); } catch (e) { /* it ended meanwhile */ }
        throw error;
      }).finally(function () { db.close(); });
    });
  }

  function dirname(path) { return path.substring(0, path.lastIndexOf("/")); }

  // Calls visit(path, stat) for every file under the home directory but
  // those being written.
  function eachFile(visit) {
    (function walk(dir) {
      var names;
      try { names = FS.readdir(dir); } catch (e) { return; }
      names.forEach(function (name) {
        if (name === "." || name === "..") return;
        var path = dir + "/" + name, st = FS.stat(path);
        if (FS.isDir(st.mode)) walk(path);
        else if (FS.isFile(st.mode) && !TEMP.test(path)) visit(path, st);
      });
    })(HOME);
  }

  // path -> {bytes, mode, time}
  function snapshot() {
    var files = {};
    eachFile(function (path, st) { files[path] = { bytes: FS.readFile(path), mode: st.mode, time: st.mtime }; });
    return files;
  }

  function same(a, b) {
    if (!a || !b || a.length !== b.length) return false;
    for (var i = 0; i < a.length; i++) if (a[i] !== b[i]) return false;
    return true;
  }

  function note(error) {
    console.warn("Rotandor: the browser's storage failed:", error && (error.name + ": " + error.message));
    return false;
  }

  // Reads the stored files into the file system. False when they cannot be
  // read: then nothing is ever stored, so no store can replace a player's
  // files with a new player's.
  function load() {
    var found = {};
    return transact("readonly", function (store) {
      var cursor = store.openCursor();
      cursor.onsuccess = function () {
        var c = cursor.result;
        if (!c) return;
        // Directories have records without contents.
        if (c.value && c.value.contents && typeof c.key === "string" && c.key.indexOf(HOME + "/") === 0) {
          found[c.key] = new Uint8Array(c.value.contents);
        }
        c.continue();
      };
    }).then(function () {
      Object.keys(found).sort().forEach(function (path) {
        FS.mkdirTree(dirname(path));
        FS.writeFile(path, found[path]);
      });
      stored = found;
      usable = true;
      fresh = !hasPlayer(found);
      if (fresh) lost = readMark();
      return true;
    }).catch(note);
  }

  // Stores whatever changed since the last store, in one transaction.
  function storeChanges() {
    if (!usable) return Promise.resolve(false);
    if (replaced) return Promise.resolve(true);
    var now = snapshot(), puts = [], deletes = [];
    Object.keys(now).forEach(function (path) { if (!same(now[path].bytes, stored[path])) puts.push(path); });
    Object.keys(stored).forEach(function (path) { if (!now[path]) deletes.push(path); });
    if (!puts.length && !deletes.length) return Promise.resolve(true);
    return transact("readwrite", function (store) {
      puts.forEach(function (path) {
        var f = now[path];
        store.put({ timestamp: f.time, mode: f.mode, contents: f.bytes }, path);
      });
      deletes.forEach(function (path) { store.delete(path); });
    }).then(function () {
      var kept = {};
      Object.keys(now).forEach(function (path) { kept[path] = now[path].bytes; });
      stored = kept;
      writeMark(kept);
      return true;
    }, note);
  }

  // One store at a time; a call while one runs waits for it and stores
  // after it, and calls while that one waits share it.
  var last = Promise.resolve(true), next = null;
  function store() {
    if (!next) {
      next = last.then(function () { next = null; return storeChanges(); }).catch(note);
      last = next;
    }
    return next;
  }

  // Puts the player's files in place of the stored ones ({name: bytes}; a
  // name of names without bytes is removed), all or none, after any store
  // under way. Nothing is stored after it: the page loads again to play them.
  function replacePlayer(files, names) {
    if (!usable) return Promise.resolve(false);
    last = last.then(function () {
      return transact("readwrite", function (store) {
        names.forEach(function (name) {
          var path = PLAYER + "/" + name;
          if (files[name]) store.put({ timestamp: new Date(), mode: 33206, contents: files[name] }, path);
          else store.delete(path);
        });
      }).then(function () {
        replaced = true;
        return true;
      });
    }).catch(note);
    next = null;
    return last;
  }

  // Whether a file changed since this last looked, from names and metadata
  // alone: a rewrite puts a new file (a new inode) in place, an append grows it.
  var seen = "";
  function changed() {
    var marks = [];
    eachFile(function (path, st) { marks.push(path + ":" + st.ino + ":" + st.size + ":" + st.mtime.getTime()); });
    var mark = marks.sort().join("|"), result = mark !== seen;
    seen = mark;
    return result;
  }

  return {
    home: HOME,
    player: PLAYER,
    replacePlayer: replacePlayer,
    load: load,
    store: store,
    changed: changed,
    snapshot: snapshot,
    usable: function () { return usable; },
    // The day the player's files were last stored, when they have vanished since.
    lost: function () { return lost; },
    // Whether the page started without a player's files.
    fresh: function () { return fresh; },
  };
})();
