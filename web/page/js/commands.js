// The menu's commands as large buttons in the title bar on a touch screen, made from the
// engine's menu slots of the window on show: a click takes the same path as the menu bar.
import { $, canvas, run } from "./page.js";
import { engine } from "./engine.js";

let afterCommand = () => {};

// `after` runs once a command was given (the run steps at once).
export function listenCommands(after) {
  afterCommand = after;
}

export function showCommands(slots) {
  const box = $("commands");
  const touch = document.documentElement.classList.contains("touch");
  box.hidden = !(touch && slots.length);
  const names = slots.map((s) => s.name + "\n" + s.caption).join("\n");
  if (box.dataset.names === names) return;
  box.dataset.names = names;
  box.replaceChildren(...slots.map((slot) => {
    const b = Object.assign(document.createElement("button"), { type: "button", textContent: slot.caption });
    b.lang = "ja";  // the game's own captions
    b.dataset.menu = slot.name;
    b.addEventListener("click", () => {
      if (!run.running || run.held) return;
      engine.menu(slot.name);
      afterCommand();
      if (run.running) canvas.focus({ preventScroll: true });
    });
    return b;
  }));
}
