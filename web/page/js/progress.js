// The learner's progress on the page: the Practice button beside the lists with the number
// due in the chosen shipped list, and the progress view with its chart, its counts in words,
// the switch that keeps runs, and export and import. The figures are the engine's.
import { $, showMessage } from "./page.js";
import { onLanguage, t } from "./words.js";
import { download } from "./study.js";
import { drawChart } from "./chart.js";
import { countsOf, exportHistory, importHistory, onHistory, practiceOf, remembering,
         setRemembering } from "./history.js";

const view = $("progress-view");
let hooks = { list: () => "", play: () => Promise.resolve() };
let counts = null;  // the chosen list's, last asked for
let busy = false;

function say(text) {
  $("progress-message").textContent = text;
}

function render() {
  const practice = $("practice");
  practice.textContent = t("practice", counts ? counts.dueNow : "…");
  $("remember").setAttribute("aria-pressed", String(remembering()));
  if (!view.open || !counts) return;
  const c = counts;
  const due = c.duePerDay.reduce((a, b) => a + b, 0);
  const first = (a) => a[0];
  const last = (a) => a[a.length - 1];
  $("progress-heading").textContent = t("progressHeading", t("list." + hooks.list()));
  $("progress-counts").textContent = t("progressCounts", c.compounds, c.known, c.learning, c.neverMet, c.dueNow);
  $("progress-due").textContent = t("progressDue", c.duePerDay.join(" "));
  $("progress-lines").textContent = t("progressLines", c.historyLines);
  drawChart($("chart"), c, {
    title: t("chartTitle"),
    desc: t("chartDesc", first(c.knownPerDay), last(c.knownPerDay), first(c.learningPerDay),
            last(c.learningPerDay), due),
    known: t("chartKnown"), learning: t("chartLearning"), due: t("chartDue"),
    past: t("chartPast"), next: t("chartNext"),
  });
}

// Asks the engine again: the history changed, the list changed, or time went by. Asks
// that come while one is under way make one more, not one each.
let asking = null;
let askAgain = false;
export function refreshProgress() {
  if (asking) {
    askAgain = true;
    return asking;
  }
  asking = ask().finally(() => { asking = null; });
  return asking;
}

async function ask() {
  do {
    askAgain = false;
    try {
      const c = await countsOf(hooks.list());
      counts = c.error ? null : c;
      if (c.error) showMessage(c.error);
    } catch (e) {
      counts = null;
      showMessage(e.message);
    }
  } while (askAgain);
  render();
}

// One practice list at a time: a second click while one is on its way does nothing.
function practise() {
  if (busy) return;
  busy = true;
  $("practice").disabled = true;
  practiceOf(hooks.list())
    .then((r) => (r.error ? showMessage(r.error) : hooks.play(r.file)))
    .catch((e) => showMessage(e.message))
    .finally(() => {
      busy = false;
      $("practice").disabled = false;
    });
}

function openView() {
  say("");
  view.showModal();
  refreshProgress();
}

// `list()`: the chosen shipped list; `play(file)`: plays a practice list.
export function listenProgress(h) {
  hooks = h;
  $("practice").addEventListener("click", practise);
  $("progress-open").addEventListener("click", openView);
  $("progress-review").addEventListener("click", openView);
  $("remember").addEventListener("click", () => {
    setRemembering(!remembering());
    render();
  });
  $("export").addEventListener("click", () => download(exportHistory(), "quendar-history.tsv"));
  $("import").addEventListener("change", async (e) => {
    const file = e.target.files[0];
    e.target.value = "";
    if (file) say(await importHistory(file));
  });
  onHistory(refreshProgress);
  // What is due changes with the clock: the count is fresh whenever the page is looked at.
  document.addEventListener("visibilitychange", () => {
    if (!document.hidden) refreshProgress();
  });
  onLanguage(render);
}
