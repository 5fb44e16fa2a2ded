// What the page's rooms share: its elements, the address's mode, where the engine finds
// the chosen list, and whether a run is going.
import { engine } from "./engine.js";

export const $ = (id) => document.getElementById(id);
export const canvas = $("screen");
// With ?test the page runs no game of its own and offers the driver to scripts.
export const testMode = new URLSearchParams(location.search).has("test");
// The folder the engine finds the chosen list in, under the name the game reads it by.
export const RUN_DIR = "/run";

// The run's state: `running` while the engine has a program on the page's clock; `held`
// while a hand-over waits for the faces; `listName` is the chosen shipped list, or "own:"
// and the file's name.
export const run = { running: false, held: false, listName: "jyukugo.dat" };

// The build, written into the page by the build: files fetched after the page has loaded
// name it, so the service worker answers from this build's cache even once a newer one
// is installed.
const version = document.querySelector("meta[name=quendar-version]").content;
export const versioned = (file) => (version ? file + "?v=" + version : file);

export function showMessage(text) {
  $("message").textContent = text;
  $("message").hidden = !text;
}

// The engine names the list by the game's file name; a player's own list is named as the
// player knows it.
export function asChosen(text) {
  const listFile = engine.listFile();
  const own = run.listName.startsWith("own:") ? run.listName.slice(4) : null;
  return own && text.startsWith(listFile + ":") ? own + text.slice(listFile.length) : text;
}
