// The progress chart, drawn as SVG by hand: known and learning compounds at the end of each
// of the last 90 days, stacked, and the compounds falling due on each of the next 14 days.
// It scales with its box; its title and description say in words what it shows.
const NS = "http://www.w3.org/2000/svg";
const W = 360;
const H = 176;
const TOP = 16;
const BASE = 132;
const PAST = { x: 30, w: 226 };
const NEXT = { x: 282, w: 72 };

function node(tag, attrs, text) {
  const e = document.createElementNS(NS, tag);
  for (const [k, v] of Object.entries(attrs)) e.setAttribute(k, String(v));
  if (text !== undefined) e.textContent = text;
  return e;
}

const y = (v, max) => BASE - (BASE - TOP) * (max ? v / max : 0);

// A stacked band between two series across the past panel.
function band(lower, upper, max, cls) {
  const step = PAST.w / Math.max(1, upper.length - 1);
  const top = upper.map((v, i) => `${(PAST.x + i * step).toFixed(1)},${y(v, max).toFixed(1)}`);
  const bottom = lower.map((v, i) => `${(PAST.x + i * step).toFixed(1)},${y(v, max).toFixed(1)}`).reverse();
  return node("polygon", { class: cls, points: top.concat(bottom).join(" ") });
}

// Draws `c` (the engine's counts) into `svg`; `words` has the chart's texts: title, desc,
// known, learning, due, past, next.
export function drawChart(svg, c, words) {
  const known = c.knownPerDay;
  const stacked = known.map((k, i) => k + c.learningPerDay[i]);
  const maxPast = Math.max(1, ...stacked);
  const maxNext = Math.max(1, ...c.duePerDay);
  svg.setAttribute("viewBox", `0 0 ${W} ${H}`);
  svg.setAttribute("role", "img");
  svg.setAttribute("aria-labelledby", "chart-title");
  svg.setAttribute("aria-describedby", "chart-desc");
  const parts = [node("title", { id: "chart-title" }, words.title),
                 node("desc", { id: "chart-desc" }, words.desc)];
  for (const [p, max] of [[PAST, maxPast], [NEXT, maxNext]]) {
    parts.push(node("line", { class: "axis", x1: p.x, y1: BASE, x2: p.x + p.w, y2: BASE }),
               node("line", { class: "grid", x1: p.x, y1: TOP, x2: p.x + p.w, y2: TOP }),
               node("text", { class: "tick", x: p.x - 3, y: TOP + 4, "text-anchor": "end" }, max),
               node("text", { class: "tick", x: p.x - 3, y: BASE + 4, "text-anchor": "end" }, 0));
  }
  parts.push(band(known.map(() => 0), known, maxPast, "known"),
             band(known, stacked, maxPast, "learning"));
  const slot = NEXT.w / c.duePerDay.length;
  c.duePerDay.forEach((n, i) => {
    if (n) parts.push(node("rect", { class: "due bar", x: (NEXT.x + i * slot + 0.5).toFixed(1), y: y(n, maxNext).toFixed(1),
                                     width: (slot - 1).toFixed(1), height: (BASE - y(n, maxNext)).toFixed(1) }));
  });
  parts.push(node("text", { class: "label", x: PAST.x + PAST.w / 2, y: BASE + 14, "text-anchor": "middle" }, words.past),
             node("text", { class: "label", x: NEXT.x + NEXT.w / 2, y: BASE + 14, "text-anchor": "middle" }, words.next));
  // The legend: the colours are named in words.
  [["known", words.known], ["learning", words.learning], ["due", words.due]].forEach(([cls, label], i) => {
    const x = PAST.x + i * 100;
    parts.push(node("rect", { class: cls, x, y: H - 14, width: 10, height: 10 }),
               node("text", { class: "label", x: x + 14, y: H - 5 }, label));
  });
  svg.replaceChildren(...parts);
}
