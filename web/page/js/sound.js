// Plays the game's sounds with Web Audio, one sound at a time.
import { versioned } from "./page.js";

export const quendarSound = {
  context: null,
  buffers: {},
  current: null,
  muted: false,  // the page's sound switch
  endsAt: 0,     // when the sound last started ends, in the context's time
  onPlay: null,  // called as each sound starts (the voice gives way to it)
  // No shot is fired before the main window, so the sounds come after what it needs. The
  // audio context was started early by audio-start.js. Settles once every sound is in or
  // has failed.
  load() {
    try {
      this.context = window.quendarAudioContext || new AudioContext();
    } catch (e) {
      return Promise.resolve();  // no audio: the game plays on in silence
    }
    return Promise.all(["seikai2.wav", "matigai.wav"].map((name) =>
      fetch(versioned(name)).then((r) => (r.ok ? r.arrayBuffer() : Promise.reject()))
        .then((b) => this.context.decodeAudioData(b))
        .then((buf) => { this.buffers[name] = buf; }, () => { this.buffers[name] = null; })));
  },
  // Browsers start audio only after a gesture; until then play is silent.
  resume() {
    if (this.context && this.context.state !== "running") this.context.resume().catch(() => {});
  },
  play(name) {
    const c = this.context;
    if (!c || c.state !== "running" || this.muted) return;
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
    this.endsAt = c.currentTime + (source.buffer ? source.buffer.duration : 0.12);
    if (this.onPlay) this.onPlay(name);
  },
};
