// A saved game: the player's files in one ZIP archive, their bytes exactly
// as the game wrote them, at the archive's top, so that it unpacks straight
// into the desktop game's folder for them. ZIP because every desktop opens
// it without a tool. Reading takes what desktop archivers write (stored or
// deflated, the files alone or in one folder) and refuses anything that is
// not the game's own files, with the reason in German.
"use strict";

Module.savegame = (function () {
  var NAMES = ["Login.dat", "Login2.dat", "Secrets.dat", "Geldbeutel.dat"];
  var MAX_FILE = 4096, MAX_ARCHIVE = 1 << 20;
  // Deflate may make a file that does not pack a few bytes larger.
  var MAX_PACKED = MAX_FILE + 64, PIECE = 512;

  var table = [];
  for (var n = 0; n < 256; n++) {
    var c = n;
    for (var k = 0; k < 8; k++) c = c & 1 ? 0xEDB88320 ^ (c >>> 1) : c >>> 1;
    table[n] = c >>> 0;
  }
  function crc32(bytes) {
    var c = 0xFFFFFFFF;
    for (var i = 0; i < bytes.length; i++) c = table[(c ^ bytes[i]) & 0xFF] ^ (c >>> 8);
    return (c ^ 0xFFFFFFFF) >>> 0;
  }

  function dosTime(d) { return d.getHours() << 11 | d.getMinutes() << 5 | d.getSeconds() >> 1; }
  function dosDate(d) { return Math.max(0, d.getFullYear() - 1980) << 9 | (d.getMonth() + 1) << 5 | d.getDate(); }

  // files: [{name, bytes, time}] -> the archive's bytes, uncompressed.
  function write(files) {
    var parts = [], central = [], offset = 0;
    function header(size) { var b = new Uint8Array(size); return { bytes: b, view: new DataView(b.buffer) }; }
    files.forEach(function (f) {
      var name = new TextEncoder().encode(f.name), crc = crc32(f.bytes), size = f.bytes.length;
      var local = header(30 + name.length), v = local.view;
      v.setUint32(0, 0x04034B50, true);
      v.setUint16(4, 10, true);                // version needed: 1.0, stored
      v.setUint16(10, dosTime(f.time), true);
      v.setUint16(12, dosDate(f.time), true);
      v.setUint32(14, crc, true);
      v.setUint32(18, size, true);
      v.setUint32(22, size, true);
      v.setUint16(26, name.length, true);
      local.bytes.set(name, 30);
      var entry = header(46 + name.length), e = entry.view;
      e.setUint32(0, 0x02014B50, true);
      e.setUint16(4, 0x0314, true);            // made on Unix: the mode below holds
      e.setUint16(6, 10, true);
      e.setUint16(12, dosTime(f.time), true);
      e.setUint16(14, dosDate(f.time), true);
      e.setUint32(16, crc, true);
      e.setUint32(20, size, true);
      e.setUint32(24, size, true);
      e.setUint16(28, name.length, true);
      e.setUint32(38, 0x81A40000, true);       // a regular file, rw-r--r--
      e.setUint32(42, offset, true);
      entry.bytes.set(name, 46);
      parts.push(local.bytes, f.bytes);
      central.push(entry.bytes);
      offset += local.bytes.length + size;
    });
    var centralSize = central.reduce(function (sum, b) { return sum + b.length; }, 0);
    var end = header(22), z = end.view;
    z.setUint32(0, 0x06054B50, true);
    z.setUint16(8, files.length, true);
    z.setUint16(10, files.length, true);
    z.setUint32(12, centralSize, true);
    z.setUint32(16, offset, true);
    var all = parts.concat(central, [end.bytes]), out = new Uint8Array(offset + centralSize + 22), at = 0;
    all.forEach(function (b) { out.set(b, at); at += b.length; });
    return out;
  }

  // A reason the player is shown; anything else thrown is a fault of this reader.
  function refuse(reason) {
    var error = new Error(reason);
    error.refusal = true;
    throw error;
  }

  // A deflated file of at most size bytes, fed to the engine in small pieces
  // and stopped as soon as it outgrows size: a small archive that unpacks to
  // a gigabyte costs no more than the limit. null when it outgrows it.
  // Browsers before 2023 unpack nothing, or only other formats.
  function inflate(data, size) {
    var unpacking = null;
    try { unpacking = new DecompressionStream("deflate-raw"); } catch (e) { /* none, or not this format */ }
    if (!unpacking) {
      var error = new Error("dieser Browser kann gepackte Archive nicht entpacken");
      error.browserLacks = true;  // the archive may well be a saved game
      throw error;
    }
    var at = 0;
    var pieces = new ReadableStream({
      pull: function (c) {
        if (at >= data.length) return c.close();
        c.enqueue(data.slice(at, at + PIECE));
        at += PIECE;
      },
    }, { highWaterMark: 0 });
    var reader = pieces.pipeThrough(unpacking).getReader();
    var out = new Uint8Array(size), got = 0;
    function next() {
      return reader.read().then(function (r) {
        if (r.done) return out.subarray(0, got);
        if (got + r.value.length > size) return reader.cancel().then(function () { return null; });
        out.set(r.value, got);
        got += r.value.length;
        return next();
      });
    }
    return next().catch(function () { refuse("das Archiv ist besch\u00e4digt"); });
  }

  // The game's own formats, to the byte: a date, a balance, fourteen task lines.
  var DATE = /^\d\d-\d\d-\d{4}\r\n$/;
  function taskLines(text) {
    var lines = text.split("\r\n");
    if (lines.length !== 15 || lines[14] !== "") return false;
    return lines.slice(0, 14).every(function (l) {
      return /^[ -]\d+ *$/.test(l.slice(0, 14)) && l.charAt(13) === " " &&
             /^[ -]\d+ *$/.test(l.slice(14, 28)) && l.charAt(27) === " " && /^[ -]\d+$/.test(l.slice(28));
    });
  }
  var FORMATS = {
    "Login.dat": function (t) { return DATE.test(t); },
    "Login2.dat": function (t) { return DATE.test(t); },
    "Geldbeutel.dat": function (t) { return /^\d{1,20}\r\n$/.test(t); },
    "Secrets.dat": taskLines,
  };

  // The archive's bytes -> Promise of {name: bytes}; rejects with the reason.
  function read(archive) {
    return Promise.resolve().then(function () {
      var b = new Uint8Array(archive), v = new DataView(b.buffer, b.byteOffset, b.length);
      if (b.length > MAX_ARCHIVE) refuse("die Datei ist viel zu gro\u00df");
      var end = -1;
      for (var i = b.length - 22; i >= 0 && i >= b.length - 22 - 65535; i--) {
        if (v.getUint32(i, true) === 0x06054B50) { end = i; break; }
      }
      if (end < 0) refuse("sie ist kein ZIP-Archiv");
      var count = v.getUint16(end + 10, true), at = v.getUint32(end + 16, true), entries = [], folder = null;
      for (var n = 0; n < count; n++) {
        if (at + 46 > b.length || v.getUint32(at, true) !== 0x02014B50) refuse("das Archiv ist besch\u00e4digt");
        var flags = v.getUint16(at + 8, true), method = v.getUint16(at + 10, true);
        var nameLength = v.getUint16(at + 28, true);
        var path = new TextDecoder().decode(b.subarray(at + 46, at + 46 + nameLength)).replace(/\\/g, "/");
        var entry = { path: path, flags: flags, method: method, crc: v.getUint32(at + 16, true),
                      packed: v.getUint32(at + 20, true), size: v.getUint32(at + 24, true),
                      local: v.getUint32(at + 42, true) };
        at += 46 + nameLength + v.getUint16(at + 30, true) + v.getUint16(at + 32, true);
        if (/\/$/.test(path)) continue;  // a folder
        var slash = path.lastIndexOf("/"), name = path.slice(slash + 1), dir = path.slice(0, slash + 1);
        if (NAMES.indexOf(name) < 0 || dir.split("/").length > 2) {
          refuse("sie enth\u00e4lt \u201e" + path + "\u201c, das nicht zum Spielstand geh\u00f6rt");
        }
        if (folder !== null && dir !== folder) refuse("ihre Dateien liegen in verschiedenen Ordnern");
        folder = dir;
        entry.name = name;
        entries.push(entry);
      }
      if (!entries.length) refuse("sie enth\u00e4lt keinen Spielstand");
      // Everything the archive says is checked before anything is unpacked.
      var seen = {};
      entries.forEach(function (e) {
        if (seen[e.name]) refuse("sie enth\u00e4lt " + e.name + " zweimal");
        seen[e.name] = true;
        if (e.flags & 1) refuse("sie ist verschl\u00fcsselt");
        if (e.size > MAX_FILE || e.packed > MAX_PACKED) refuse(e.name + " ist zu gro\u00df");
        if (e.method !== 0 && e.method !== 8) refuse("sie ist mit einem unbekannten Verfahren gepackt");
        var l = e.local;
        if (l + 30 > b.length || v.getUint32(l, true) !== 0x04034B50) refuse("das Archiv ist besch\u00e4digt");
        var start = l + 30 + v.getUint16(l + 26, true) + v.getUint16(l + 28, true);
        if (start + e.packed > b.length) refuse("das Archiv ist unvollst\u00e4ndig");
        e.data = b.subarray(start, start + e.packed);
      });
      // One file at a time.
      var files = {};
      return entries.reduce(function (done, e) {
        return done.then(function () {
          return e.method === 0 ? e.data : inflate(e.data, e.size);
        }).then(function (bytes) {
          if (!bytes || bytes.length !== e.size || crc32(bytes) !== e.crc) refuse(e.name + " ist besch\u00e4digt");
          var text = String.fromCharCode.apply(null, bytes);
          if (!FORMATS[e.name](text)) refuse(e.name + " hat nicht die Form, in der Rotandor sie schreibt");
          files[e.name] = new Uint8Array(bytes);
        });
      }, Promise.resolve()).then(function () { return files; });
    });
  }

  // Whether a task file says any task is done (the first number of a line).
  function anyTaskDone(bytes) {
    var text = String.fromCharCode.apply(null, bytes.subarray(0, 2 * MAX_FILE));
    return text.split("\r\n").some(function (line) { return parseInt(line.slice(0, 14), 10) === 1; });
  }

  return { names: NAMES, maxSize: MAX_ARCHIVE, write: write, read: read, anyTaskDone: anyTaskDone };
})();
