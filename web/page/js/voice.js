// Speaks each matched compound's recorded reading once the game's chime has ended, through
// the game's own audio context. The game's sounds come first: a reading waits for the sound
// playing and is cut by one that starts over it. The recordings are one pack of Ogg Opus
// streams (voice/readings.opus) and its index; a compound not in it is silent.
import { versioned } from "./page.js";
import { quendarSound } from "./sound.js";

// A reading that could not start this long after its match is dropped, as on the desktop.
const MAX_WAIT = 3;

export const quendarVoice = {
  on: true,           // the page's voice switch
  index: null,        // compound -> [reading, offset, length]
  pack: null,         // the pack's bytes
  asked: 0,           // the newest request, so a slower decode of an older one gives way
  pending: null,      // { word, buffer, askedAt, source } scheduled or sounding
  log: [],            // what started when, in the context's time, for the tests
  // Loaded after the sounds; `ready` settles when the page may fetch (the service worker
  // in control, so it keeps what the page fetches).
  load(ready) {
    return ready.then(() => Promise.all(["voice/readings.tsv", "voice/readings.opus"].map((f) =>
      fetch(versioned(f)).then((r) => (r.ok ? r.arrayBuffer() : Promise.reject(new Error(f + ": " + r.status)))))))
      .then(([tsv, pack]) => {
        const index = new Map();
        for (const line of new TextDecoder().decode(tsv).split("\n")) {
          const [word, reading, offset, length] = line.split("\t");
          if (+length > 0 && +offset + +length <= pack.byteLength) index.set(word, [reading, +offset, +length]);
        }
        this.pack = pack;
        this.index = index;
        quendarSound.onPlay = (name) => this.gameSound(name);
      }, (e) => console.warn("No spoken readings: " + e.message));
  },
  // From the engine, in the middle of the step that also asks for the chime: spoken once
  // the step is over and the chime is known.
  matched(word) {
    queueMicrotask(() => this.say(word));
  },
  // A compound clicked in the panel or the review: said again at once.
  async say(word) {
    const c = quendarSound.context;
    const clip = this.index && this.index.get(word);
    if (!this.on || !c || c.state !== "running" || !clip) return;
    const asked = ++this.asked;
    const askedAt = c.currentTime;
    let buffer = null;
    try {
      buffer = await c.decodeAudioData(this.pack.slice(clip[1], clip[1] + clip[2]));
    } catch (e) {
      buffer = null;  // no Ogg Opus in this browser: speech synthesis stands in
    }
    if (asked !== this.asked || !this.on) return;
    this.stop();
    this.pending = { word, reading: clip[0], buffer, askedAt };
    this.start();
  },
  // Starts (or schedules) the pending reading at the end of the game's sound.
  start() {
    const p = this.pending;
    const c = quendarSound.context;
    const at = Math.max(c.currentTime, quendarSound.endsAt);
    if (at - p.askedAt > MAX_WAIT) {
      this.pending = null;
      return;
    }
    p.at = at;
    this.log.push({ what: "voice", word: p.word, at, decoded: Boolean(p.buffer) });
    if (p.buffer) {
      p.source = c.createBufferSource();
      p.source.buffer = p.buffer;
      p.source.connect(c.destination);
      p.source.start(at);
      p.source.onended = () => { if (this.pending === p) this.pending = null; };
      return;
    }
    const voice = speechSynthesis.getVoices().find((v) => v.lang.startsWith("ja"));
    if (!voice) return;  // nothing can say it: silence
    const u = new SpeechSynthesisUtterance(p.reading);
    u.voice = voice;
    u.lang = voice.lang;
    p.timer = setTimeout(() => speechSynthesis.speak(u), (at - c.currentTime) * 1000);
  },
  stop() {
    const p = this.pending;
    if (!p) return;
    if (p.source) p.source.onended = null;
    try { if (p.source) p.source.stop(); } catch (e) { /* never started */ }
    clearTimeout(p.timer);
    if (!p.buffer && window.speechSynthesis) speechSynthesis.cancel();
    p.source = null;
  },
  // A sound of the game starts: a reading not yet begun waits for it, one sounding is cut.
  gameSound(name) {
    const c = quendarSound.context;
    this.log.push({ what: "sound", name, at: c.currentTime, ends: quendarSound.endsAt });
    const p = this.pending;
    if (!p) return;
    const begun = p.at < c.currentTime;
    this.stop();
    if (begun) this.pending = null;
    else this.start();
  },
  setOn(on) {
    this.on = on;
    if (!on) {
      this.stop();
      this.pending = null;
    }
  },
};
