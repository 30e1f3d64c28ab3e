// The page's saved-game reader (src/platform/web/savegame.js) on any bytes:
// it gives the player's files, each in the form the game writes it, or
// refuses with a reason the player is shown. Anything else is a fault: an
// exception of its own, a file it should not take, or files that do not
// come back whole through the writer.
"use strict";
global.Module = {};
require("../src/platform/web/savegame.js");
const savegame = global.Module.savegame;

async function read(data) {
  try {
    return await savegame.read(data);
  } catch (error) {
    if (error && error.refusal && typeof error.message === "string" && error.message) return null;
    throw error;
  }
}

async function fuzz(data) {
  const files = await read(data);
  if (!files) return;
  const names = Object.keys(files);
  for (const name of names) {
    if (!savegame.names.includes(name) || !(files[name] instanceof Uint8Array) || files[name].length > 4096) {
      throw new Error("the reader took " + name);
    }
  }
  const again = await read(savegame.write(names.map((name) => ({ name, bytes: files[name], time: new Date() }))));
  if (!again || Object.keys(again).join() !== names.join() ||
      names.some((name) => Buffer.compare(Buffer.from(again[name]), Buffer.from(files[name])) !== 0)) {
    throw new Error("the files do not come back whole through the writer");
  }
}

module.exports = { fuzz };
