// The loading indicator: how much of what the opening and the main window need is in.
// Each part has a weight, about its kilobytes on the wire; the bar hides when all are in.
import { $ } from "./page.js";

const parts = new Map();  // name -> [weight, fraction in]

export function expect(name, weight) {
  if (!parts.has(name)) parts.set(name, [weight, 0]);
  show();
}

export function progress(name, fraction) {
  const part = parts.get(name);
  if (!part) return;
  part[1] = Math.max(part[1], Math.min(1, fraction));
  show();
}

function show() {
  let all = 0, done = 0;
  for (const [weight, fraction] of parts.values()) {
    all += weight;
    done += weight * fraction;
  }
  const share = all ? done / all : 0;
  // Until something is in, the bar moves without a measure, as the page's own does.
  if (share > 0) $("loading-bar").value = share;
  $("loading-text").textContent = share > 0 ? Math.floor(share * 100) + " %" : "Loading…";
  $("loading").hidden = share >= 1;
}
