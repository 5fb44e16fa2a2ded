// Executes the engine's drawing commands on the canvas, with the page's faces and pictures.
import { canvas } from "./page.js";
import { requestDraw } from "./loop.js";
import { facesReady, families, facesGeneration } from "./faces.js";
import { expect, progress } from "./loading.js";

const ctx = canvas.getContext("2d", { alpha: false });
const measurer = document.createElement("canvas").getContext("2d");
export const screenshots = {};

const fontOf = (face, px, bold) => (bold ? "bold " : "") + px + "px " + families()[face];
const colorOf = (c) => "#" + c.toString(16).padStart(6, "0");
const metricsCache = new Map();
function metrics(face, px, bold) {
  const key = face + "/" + px + "/" + bold + "/" + facesGeneration;
  let m = metricsCache.get(key);
  if (!m) {
    measurer.font = fontOf(face, px, bold);
    const t = measurer.measureText("国");
    // Whole pixels, as the desktop's font renderer rounds its ascent and descent.
    const ascent = Math.ceil(t.fontBoundingBoxAscent);
    m = { ascent, height: ascent + Math.floor(t.fontBoundingBoxDescent) };
    metricsCache.set(key, m);
  }
  return m;
}

const pictures = new Map();
function picture(name) {
  let img = pictures.get(name);
  if (!img) {
    img = new Image();
    expect(name, 4);
    img.onload = () => {
      progress(name, 1);
      requestDraw(true);
    };
    img.onerror = () => progress(name, 1);
    img.src = "pictures/" + name;
    pictures.set(name, img);
  }
  return img;
}
export const picturesLoaded = Promise.all((document.body.dataset.pictures || "").split(" ")
  .filter(Boolean).map((n) => picture(n).decode().catch(() => {})));

let areas = null;
let clipped = false;
function withClip(cx, cy, cw, ch, draw) {
  ctx.save();
  ctx.beginPath();
  ctx.rect(cx, cy, cw, ch);
  ctx.clip();
  draw();
  ctx.restore();
}

export const quendarCanvas = {
  facesReady,
  lineHeight: (face, px, bold) => metrics(face, px, bold).height,
  textWidth(text, face, px, bold) {
    measurer.font = fontOf(face, px, bold);
    return Math.round(measurer.measureText(text).width);
  },
  begin(w, h) {
    if (canvas.width !== w || canvas.height !== h) {
      canvas.width = w;
      canvas.height = h;
    }
    ctx.save();
    areas = null;
    clipped = false;
  },
  clipArea(x, y, w, h) {
    if (!areas) areas = new Path2D();
    areas.rect(x, y, w, h);
  },
  applyAreas() {
    if (areas && !clipped) {
      ctx.clip(areas);
      clipped = true;
    }
  },
  fill(x, y, w, h, color, cx, cy, cw, ch) {
    quendarCanvas.applyAreas();
    const x0 = Math.max(x, cx), y0 = Math.max(y, cy);
    const x1 = Math.min(x + w, cx + cw), y1 = Math.min(y + h, cy + ch);
    if (x1 <= x0 || y1 <= y0) return;
    ctx.fillStyle = colorOf(color);
    ctx.fillRect(x0, y0, x1 - x0, y1 - y0);
  },
  text(text, face, px, bold, color, x, y, cx, cy, cw, ch) {
    quendarCanvas.applyAreas();
    withClip(cx, cy, cw, ch, () => {
      // The faces have no bold of their own. The desktop's font renderer widens each
      // outline by a 24th of the em; a stroke of that width does the same here, where
      // the browser's own synthetic bold is lighter.
      ctx.font = fontOf(face, px, false);
      ctx.fillStyle = ctx.strokeStyle = colorOf(color);
      ctx.textBaseline = "alphabetic";
      const baseline = y + metrics(face, px, bold).ascent;
      ctx.fillText(text, x, baseline);
      if (bold) {
        ctx.lineWidth = px / 24;
        ctx.lineJoin = "round";
        ctx.strokeText(text, x, baseline);
      }
    });
  },
  picture(name, scale, x, y, cx, cy, cw, ch) {
    quendarCanvas.applyAreas();
    const img = picture(name);
    if (!img.complete || !img.naturalWidth) return;
    withClip(cx, cy, cw, ch, () => {
      // Whole scales keep the picture's pixels sharp; others are smoothed.
      ctx.imageSmoothingEnabled = scale !== Math.round(scale);
      ctx.drawImage(img, x, y, img.naturalWidth * scale, img.naturalHeight * scale);
    });
  },
  end() {
    ctx.restore();
  },
  capture(name) {
    screenshots[name] = canvas.toDataURL("image/png");
  },
};
