// The page's thin layer around the engine: it paints what the engine's frame description
// says, plays sounds, passes keys and pointer events on, and loads the chosen word list.
// What anything means is decided by the engine.
"use strict";

var Module = (function () {
  const params = new URLSearchParams(location.search);
  const testMode = params.has("test");
  const $ = (id) => document.getElementById(id);
  const canvas = $("screen");
  const ctx = canvas.getContext("2d", { alpha: false });
  const measurer = document.createElement("canvas").getContext("2d");
  const RUN_DIR = "/run";
  const LIST_PATH = RUN_DIR + "/jyukugo.dat";
  // A file of few but enormous lines is read this far at most: the game keeps 4096
  // characters of a line, and what lies beyond only weighs in the choice between UTF-8 and
  // Shift-JIS, which the first 4 MB settle for any real list.
  const OWN_LIST_LIMIT = 4 << 20;
  const OWN_LIST_CHUNK = 1 << 20;
  const KEYS = { Enter: 13, ArrowLeft: 37, ArrowUp: 38, ArrowRight: 39, ArrowDown: 40 };

  let fullFaces = false;
  let running = false;
  let stepTimer = null;
  let frameRequest = 0;
  let forceDraw = true;
  let shownKey = "";
  let listName = "jyukugo.dat";
  let listLoading = Promise.resolve();
  // The default list is fetched while the engine compiles.
  let defaultList = fetch("lists/jyukugo.dat").then((r) => (r.ok ? r.arrayBuffer() : null), () => null);
  const screenshots = {};

  // ---- Canvas: executes drawing commands --------------------------------------------

  const families = () => fullFaces
    ? ["QuendarMincho, QuendarMinchoFull", "QuendarGothic, QuendarGothicFull"]
    : ["QuendarMincho", "QuendarGothic"];
  const fontOf = (face, px, bold) => (bold ? "bold " : "") + px + "px " + families()[face];
  const colorOf = (c) => "#" + c.toString(16).padStart(6, "0");
  const metricsCache = new Map();
  function metrics(face, px, bold) {
    const key = face + "/" + px + "/" + bold + "/" + fullFaces;
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
      img.onload = () => requestDraw(true);
      img.src = "pictures/" + name;
      pictures.set(name, img);
    }
    return img;
  }
  const picturesLoaded = Promise.all((document.body.dataset.pictures || "").split(" ")
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
  const quendarCanvas = {
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

  // ---- Sound: Web Audio, one sound at a time ------------------------------------------

  const quendarSound = {
    context: null,
    buffers: {},
    current: null,
    init() {
      try {
        this.context = new AudioContext();
      } catch (e) {
        return;  // no audio: the game plays on in silence
      }
      for (const name of ["seikai2.wav", "matigai.wav"]) {
        fetch(name).then((r) => (r.ok ? r.arrayBuffer() : Promise.reject()))
          .then((b) => this.context.decodeAudioData(b))
          .then((buf) => { this.buffers[name] = buf; }, () => { this.buffers[name] = null; });
      }
    },
    // Browsers start audio only after a gesture; until then play is silent.
    resume() {
      if (this.context && this.context.state !== "running") this.context.resume().catch(() => {});
    },
    play(name) {
      const c = this.context;
      if (!c || c.state !== "running") return;
      if (this.current) {
        try { this.current.stop(); } catch (e) { /* already ended */ }
        this.current = null;
      }
      let source;
      if (this.buffers[name]) {
        source = c.createBufferSource();
        source.buffer = this.buffers[name];
      } else if (this.buffers[name] === null) {
        // A missing or broken sound file: a short alert tone stands in, as on the desktop.
        source = c.createOscillator();
        source.frequency.value = 880;
        source.stop(c.currentTime + 0.12);
      } else {
        return;  // still loading
      }
      source.connect(c.destination);
      source.start();
      this.current = source;
    },
  };

  // ---- The run: clock, layout, input ---------------------------------------------------

  function showMessage(text) {
    $("message").textContent = text;
    $("message").hidden = !text;
  }

  function step() {
    stepTimer = null;
    if (!running) return;
    const wait = Module._quendar_step();
    if (wait === -2 || wait === -3) {
      stopRun(wait === -3 ? Module.ccall("quendar_fatal", "string", [], []) : "");
      return;
    }
    if (wait >= 0) stepTimer = setTimeout(step, wait);
    if (Module._quendar_window_changed()) {
      // A window handed over to another: show it now rather than a display frame later.
      if (frameRequest) cancelAnimationFrame(frameRequest);
      draw();
    } else {
      requestDraw(false);
    }
  }
  function restep() {
    if (stepTimer !== null) clearTimeout(stepTimer);
    step();
  }

  function requestDraw(force) {
    if (force) forceDraw = true;
    if (!frameRequest && running) frameRequest = requestAnimationFrame(draw);
  }

  // Fits the window on show into the stage, keeping its shape; the canvas's backing
  // store is in device pixels, so nothing is stretched by the browser.
  function layout() {
    const shown = Module.ccall("quendar_shown", "string", [], []);
    const m = /^(\d+) (\d+) (.*)$/.exec(shown);
    if (!m) return;
    const w = +m[1], h = +m[2];
    const stage = $("stage");
    const dpr = window.devicePixelRatio || 1;
    const availW = stage.clientWidth - 8, availH = stage.clientHeight - 8 - $("titlebar").offsetHeight;
    const fit = Math.max(0.1, Math.min(availW / w, availH / h));
    const bw = Math.max(1, Math.floor(w * fit * dpr)), bh = Math.max(1, Math.floor(h * fit * dpr));
    const key = bw + "x" + bh + "/" + dpr + "/" + shown;
    if (key === shownKey) return;
    shownKey = key;
    canvas.style.width = bw / dpr + "px";
    canvas.style.height = bh / dpr + "px";
    $("caption").textContent = m[3];
    document.title = m[3] ? m[3] + " — Quendar" : "Quendar";
    canvas.width = bw;
    canvas.height = bh;
    forceDraw = true;
  }

  function draw() {
    frameRequest = 0;
    if (!running) return;
    layout();
    const drew = Module._quendar_draw(canvas.width, canvas.height, forceDraw ? 1 : 0);
    forceDraw = false;
    if (!drew) return;
    // When each window first reached the screen, for the benchmark and the tests.
    const q = window.quendar;
    if (!q.firstFrameAt) q.firstFrameAt = performance.now();
    const caption = $("caption").textContent;
    const last = q.timeline[q.timeline.length - 1];
    if (!last || last.window !== caption)
      q.timeline.push({ window: caption, t: performance.now() - q.runStartedAt });
  }

  function startRun() {
    stopRun(null);
    showMessage("");
    $("ended").hidden = true;
    $("window").hidden = false;
    window.quendar.timeline = [];
    window.quendar.runStartedAt = performance.now();
    const error = Module.ccall("quendar_start", "string", ["string"], [RUN_DIR]);
    running = true;
    shownKey = "";
    if (error) {
      stopRun(error);
      return;
    }
    restep();
    forceDraw = true;
    draw();
    canvas.focus({ preventScroll: true });
  }

  // Ends the run on the page: with a message for a fatal error, with the "ended" panel
  // when the program closed its last window, quietly (null) when a new run replaces it.
  function stopRun(error) {
    if (stepTimer !== null) clearTimeout(stepTimer);
    stepTimer = null;
    const was = running;
    running = false;
    if (was) Module._quendar_stop();
    if (error === null) return;
    $("window").hidden = true;
    if (error) {
      const own = listName.startsWith("own:") ? listName.slice(4) : null;
      showMessage(own && error.startsWith("jyukugo.dat:") ? own + error.slice(11) : error);
    } else {
      $("ended").hidden = false;
      $("again").focus();
    }
  }

  function pointerXY(e) {
    const r = canvas.getBoundingClientRect();
    return [Math.floor((e.clientX - r.left) * canvas.width / r.width),
            Math.floor((e.clientY - r.top) * canvas.height / r.height)];
  }
  function pointer(kind, e) {
    if (!running) return;
    const [x, y] = pointerXY(e);
    Module._quendar_pointer(kind, x, y);
    if (kind === 1) restep();
    requestDraw(false);
  }

  function listen() {
    const gesture = () => quendarSound.resume();
    for (const type of ["pointerdown", "keydown", "touchstart"])
      window.addEventListener(type, gesture, { capture: true, passive: true });
    document.addEventListener("keydown", (e) => {
      if (!running || e.ctrlKey || e.altKey || e.metaKey) return;
      const code = KEYS[e.key];
      if (code === undefined) return;
      e.preventDefault();  // the arrows and Enter belong to the game, not to scrolling
      Module._quendar_key(code);
      restep();
    });
    canvas.addEventListener("pointerdown", (e) => {
      if (e.button !== 0) return;
      e.preventDefault();
      canvas.setPointerCapture(e.pointerId);
      canvas.focus({ preventScroll: true });
      pointer(0, e);
    });
    canvas.addEventListener("pointerup", (e) => { if (e.button === 0) pointer(1, e); });
    canvas.addEventListener("pointermove", (e) => pointer(2, e));
    canvas.addEventListener("pointerleave", () => {
      if (running) Module._quendar_pointer(3, 0, 0);
      requestDraw(false);
    });
    canvas.addEventListener("contextmenu", (e) => e.preventDefault());
    window.addEventListener("resize", () => requestDraw(true));
    $("close").addEventListener("click", () => {
      if (!running) return;
      Module._quendar_close();
      restep();
    });
    $("again").addEventListener("click", () => startRun());
    for (const b of document.querySelectorAll("#lists button"))
      b.addEventListener("click", () => choose(b.dataset.list, null));
    $("own").addEventListener("change", (e) => {
      const f = e.target.files[0];
      e.target.value = "";
      if (f) choose(null, f);
    });
  }

  // ---- Word lists ----------------------------------------------------------------------

  async function loadFullFaces() {
    if (fullFaces) return;
    const faces = [new FontFace("QuendarMinchoFull", "url(fonts/ipam.ttf)"),
                   new FontFace("QuendarGothicFull", "url(fonts/ipag.ttf)")];
    for (const f of faces) document.fonts.add(await f.load());
    fullFaces = true;
    metricsCache.clear();
  }

  // Copies a player's file into the engine's file system only as far as the game's reader
  // reads it, a slice at a time, so a huge file costs no more than the lines it keeps.
  async function copyOwnList(file) {
    const stream = Module.FS.open(LIST_PATH, "w");
    try {
      for (let pos = 0; pos < file.size && pos < OWN_LIST_LIMIT; pos += OWN_LIST_CHUNK) {
        const bytes = new Uint8Array(await file.slice(pos, pos + OWN_LIST_CHUNK).arrayBuffer());
        Module.FS.write(stream, bytes, 0, bytes.length);
        if (Module.ccall("quendar_list_complete", "number", ["string"], [LIST_PATH])) break;
      }
    } finally {
      Module.FS.close(stream);
    }
  }

  async function choose(shipped, file) {
    for (const b of document.querySelectorAll("#lists button"))
      b.setAttribute("aria-pressed", String(b.dataset.list === shipped));
    stopRun(null);
    showMessage("");
    const load = (async () => {
      if (shipped) {
        let bytes = shipped === "jyukugo.dat" ? await defaultList : null;
        defaultList = Promise.resolve(null);
        if (!bytes) {
          const r = await fetch("lists/" + shipped);
          if (!r.ok) throw new Error(shipped + ": cannot be loaded (" + r.status + ")");
          bytes = await r.arrayBuffer();
        }
        Module.FS.writeFile(LIST_PATH, new Uint8Array(bytes));
        listName = shipped;
      } else {
        listName = "own:" + file.name;
        try {
          await copyOwnList(file);
        } catch (e) {
          throw new Error(file.name + ": cannot be read: " + (e.message || e.name));
        }
        await loadFullFaces();
      }
    })();
    listLoading = load.catch(() => {});
    try {
      await load;
    } catch (e) {
      $("window").hidden = true;
      showMessage(e.message);
      return;
    }
    if (!testMode) startRun();
  }

  // ---- Start-up and the page's hook for scripts -----------------------------------------

  let resolveReady;
  window.quendar = {
    ready: new Promise((r) => { resolveReady = r; }),
    screenshots,
    firstFrameAt: 0,
    runStartedAt: 0,
    timeline: [],
    tickStats: () => JSON.parse(Module.ccall("quendar_tick_stats", "string", [], [])),
    // The live game's state, in the driver's snapshot format.
    snapshot: () => JSON.parse(Module.ccall("quendar_snapshot", "string", [], [])),
    // Where the menu bar's commands are on the canvas, in backing-store pixels.
    menuSlots: () => JSON.parse(Module.ccall("quendar_menu_slots", "string", [], [])),
    // Where an element's centre is on the canvas, [x, y] in backing-store pixels.
    elementCentre: (name, index = -1) => {
      const at = Module.ccall("quendar_element_centre", "string", ["string", "number"], [name, index]);
      return at ? at.split(" ").map(Number) : null;
    },
  };
  if (testMode) {
    // The driver on a virtual clock against the chosen list: the snapshots quendar-sim
    // prints for the same script.
    window.quendar.run = async (script) => {
      await listLoading;
      const reply = JSON.parse(
        Module.ccall("quendar_run_script", "string", ["string", "string"], [RUN_DIR, String(script)]));
      if (reply.status === 2) throw new Error(reply.error.trim());
      const snapshots = reply.snapshots;
      if (reply.status === 1) snapshots.error = reply.error.trim();
      return snapshots;
    };
  }

  return {
    canvas,
    quendarCanvas,
    quendarSound,
    print: (t) => console.log(t),
    printErr: (t) => console.warn(t),
    async onRuntimeInitialized() {
      Module.FS.mkdir(RUN_DIR);
      quendarSound.init();
      listen();
      await Promise.all([document.fonts.load("16px QuendarMincho"),
                         document.fonts.load("16px QuendarGothic"), picturesLoaded]);
      await choose("jyukugo.dat", null);
      resolveReady();
    },
  };
})();
