// Starts the audio context as soon as the page is parsed. Starting it holds the page's
// thread for as long as a quarter of a second in some browsers: while the page waits for its
// scripts that costs nothing, where later it would stall the opening's animation or the
// falling blocks. A classic script, so it runs before the modules; sound.js takes it over.
try {
  window.quendarAudioContext = new AudioContext();
} catch (e) {
  window.quendarAudioContext = null;  // no audio: the game plays on in silence
}
