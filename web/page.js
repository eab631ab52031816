"use strict";
// The page's script: the API (kestrova_api.js, inline before this script) on
// the module inside the page, and the form. Every number, text and rule comes
// from the module; this script only moves values between the fields, the API
// and the screen.
(() => {
  const FIELDS = ["age", "height", "vc", "fvc", "fev1"];

  function base64Bytes(text) {
    const binary = atob(text.trim());
    const bytes = new Uint8Array(binary.length);
    for (let i = 0; i < binary.length; ++i) bytes[i] = binary.charCodeAt(i);
    return bytes;
  }

  // window.kestrova: the API's functions once `kestrova.ready` has resolved.
  let api = null;
  const kestrova = {};
  for (const name of ["compute", "report", "chart", "html", "check", "sexCode"]) {
    kestrova[name] = (patient) => {
      if (!api) throw new Error("kestrova: not loaded yet (await kestrova.ready)");
      return api[name](patient);
    };
  }
  kestrova.ready = Promise.resolve()
    .then(() => createKestrova(base64Bytes(document.getElementById("kestrova-wasm").textContent)))
    .then((loaded) => {
      api = loaded;
      kestrova.version = api.version;
      kestrova.relationCaption = api.relationCaption;
      return kestrova;
    });
  window.kestrova = kestrova;

  // ---- The form ----

  const $ = (id) => document.getElementById(id);
  const touched = new Set();
  let current = null; // the values of the result shown, or null
  let addressSexProblem = ""; // why the address's sex was refused, until a sex is chosen

  function setMessage(id, text) {
    const msg = $(id + "-msg");
    if (msg.textContent !== text) msg.textContent = text;
    const input = id === "sex" ? null : $(id);
    if (input) input.setAttribute("aria-invalid", text ? "true" : "false");
  }

  function selectedSex() {
    const checked = document.querySelector('input[name="sex"]:checked');
    return checked ? checked.value : "";
  }

  // Checks every field by the API's rule, each with the module's message
  // beside it; returns the patient (the fields' texts), or null when a value
  // is refused or missing.
  function readForm() {
    const patient = { sex: selectedSex() };
    for (const id of FIELDS) patient[id] = $(id).value;
    const problems = kestrova.check(patient);
    // Once a field has been left, a missing sex says so too.
    if (!problems.sex) addressSexProblem = "";
    setMessage("sex", addressSexProblem || (problems.sex && touched.size > 0 ? problems.sex.messageJa : ""));
    for (const id of FIELDS) {
      const problem = problems[id];
      // An empty required field says so once it has been left.
      setMessage(id, problem && (problem.code !== "empty" || touched.has(id)) ? problem.messageJa : "");
    }
    return Object.values(problems).some(Boolean) ? null : patient;
  }

  // The GLI sets chosen, as the API's gli and gliGroup; nothing when none is,
  // so that the page then asks for what it always did. The group only
  // applies to GLI-2012, and is only offered with it.
  function gliChoice() {
    const with2012 = $("gli-2012").checked;
    $("gli-group").disabled = !with2012;
    const sets = ["gli-global", "gli-2012"].filter((id) => $(id).checked).map((id) => $(id).value);
    if (sets.length === 0) return {};
    return with2012 ? { gli: sets, gliGroup: $("gli-group").value } : { gli: sets };
  }

  // The relation warnings of the result ("確認 !! 入力：3.39 > FVC：2.89"),
  // rewritten only when they change so that the live region says each once.
  function showWarnings(warnings) {
    const box = $("warnings");
    const texts = warnings.map((w) => w.text);
    if (box.dataset.texts === JSON.stringify(texts)) return;
    box.dataset.texts = JSON.stringify(texts);
    box.replaceChildren(
      ...texts.map((text) => {
        const p = document.createElement("p");
        const caption = document.createElement("strong");
        caption.textContent = kestrova.relationCaption;
        p.append(caption, " " + text);
        return p;
      }));
  }

  function setButtons(enabled) {
    for (const id of ["print", "copy", "save"]) $(id).disabled = !enabled;
  }

  // The report's page in the result area: its style sheet (its body rule set
  // on the shadow root's host), and on screen the layout narrowed to the
  // window, in the page's type size (the form above shows the inputs).
  const SCREEN =
    "@media screen{:host{font-size:15px}.page{width:auto;max-width:186mm;margin:0;padding:0}" +
    ".page>header{display:none}" +
    ".columns{flex-wrap:wrap}.results{flex:1 1 20rem;min-width:0}.reading{flex:1 1 20rem;min-width:0}" +
    "table{font-size:max(10pt,0.9rem)}" +
    ".side{flex:1 1 20rem;min-width:0}.gli-set{overflow-x:auto}}";

  function showReport(html) {
    const host = $("result");
    const root = host.shadowRoot || host.attachShadow({ mode: "open" });
    if (!html) {
      root.replaceChildren();
      return;
    }
    const doc = new DOMParser().parseFromString(html, "text/html");
    const style = document.createElement("style");
    const sheet = Array.from(doc.querySelectorAll("style"), (s) => s.textContent).join("\n");
    style.textContent = sheet.replace(/(^|\n)body\{/, "$1:host{display:block;") + SCREEN;
    // The report's <main> becomes a <div>: the page has its own main landmark.
    const page = document.createElement("div");
    const main = doc.querySelector("main");
    page.className = main.className;
    page.replaceChildren(...Array.from(main.childNodes, (n) => document.importNode(n, true)));
    root.replaceChildren(style, page);
  }

  function update() {
    const gli = gliChoice();
    const form = readForm();
    const patient = form && Object.assign(form, gli);
    const status = $("status");
    const html = patient ? kestrova.html(patient) : "";
    current = html ? patient : null;
    showReport(html);
    showWarnings(current ? kestrova.compute(current).warnings : []);
    // For bench/web_bench.sh: when the first result appeared.
    if (current && !performance.getEntriesByName("kestrova-first-result").length) {
      performance.mark("kestrova-first-result");
    }
    setButtons(Boolean(current));
    let text;
    if (current) text = "結果を表示しています。";
    else if (FIELDS.some((id) => $(id).getAttribute("aria-invalid") === "true")) text = "入力を確認してください。";
    else text = "性別を選び、年齢と身長を入力すると結果が表示されます。";
    if (status.textContent !== text) status.textContent = text;
  }

  // Enter moves on to the next control, as Tab does.
  function onKeyDown(event) {
    if (event.key !== "Enter" || event.isComposing) return;
    const order = [selectedSex() === "F" ? $("sex-f") : $("sex-m")]
      .concat(FIELDS.map((id) => $(id)))
      .concat([$("print")]);
    const at = order.indexOf(event.target.type === "radio" ? order[0] : event.target);
    if (at < 0) return;
    event.preventDefault();
    const next = order.slice(at + 1).find((el) => !el.disabled) || $("copy");
    next.focus();
  }

  async function copyReport() {
    const text = kestrova.chart(current);
    try {
      await navigator.clipboard.writeText(text);
    } catch (e) {
      const area = document.createElement("textarea");
      area.value = text;
      area.setAttribute("aria-hidden", "true");
      area.style.position = "fixed";
      area.style.opacity = "0";
      document.body.append(area);
      area.select();
      document.execCommand("copy");
      area.remove();
    }
    $("status").textContent = "カルテ用テキストをコピーしました。";
  }

  function saveReport() {
    const html = kestrova.html(current);
    const url = URL.createObjectURL(new Blob([html], { type: "text/html;charset=utf-8" }));
    const a = document.createElement("a");
    a.href = url;
    a.download = "kestrova-report.html";
    document.body.append(a);
    a.click();
    a.remove();
    setTimeout(() => URL.revokeObjectURL(url), 10000);
  }

  // ?sex=F&age=45&height=160&vc=…: the fields filled from the address, read
  // by the same rule as typed values (sex=1, sex=男性 choose 男性).
  function fillFromQuery() {
    const query = new URLSearchParams(location.search);
    if (query.has("sex")) {
      try {
        $(kestrova.sexCode(query.get("sex")) === 1 ? "sex-m" : "sex-f").checked = true;
      } catch (e) {
        if (!e.messageJa) throw e;
        addressSexProblem = e.messageJa;
      }
    }
    for (const id of FIELDS) {
      if (query.has(id)) {
        $(id).value = query.get(id);
        touched.add(id);
      }
    }
  }

  async function start() {
    await kestrova.ready;
    const form = $("patient");
    form.addEventListener("input", update);
    form.addEventListener("change", update);
    form.addEventListener("keydown", onKeyDown);
    form.addEventListener("submit", (e) => e.preventDefault());
    form.addEventListener("focusout", (e) => {
      if (e.target.id && e.target.type !== "radio") {
        touched.add(e.target.id);
        update();
      }
    });
    $("print").addEventListener("click", () => window.print());
    $("copy").addEventListener("click", copyReport);
    $("save").addEventListener("click", saveReport);
    fillFromQuery();
    update();
    document.documentElement.dataset.ready = "true";
  }

  start().catch((e) => {
    $("status").textContent = "読み込めませんでした: " + e.message;
  });
})();
