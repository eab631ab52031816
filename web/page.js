"use strict";
// The page's script. Every number, text and rule comes from the WebAssembly
// module (kestrova_web.cpp); this script only moves texts between the fields,
// the module and the screen.
(() => {
  const FIELDS = [
    // [input id, kestrova-cli key, batch column]
    ["age", "/Age=", 1],
    ["height", "/Setake=", 2],
    ["vc", "/VC=", 3],
    ["fvc", "/FVC=", 4],
    ["fev1", "/FEV1=", 5],
  ];
  const API_KEYS = [["sex", "/Sex="]].concat(FIELDS.map(([id, key]) => [id, key]));

  let wasm = null;
  const encoder = new TextEncoder();
  const decoder = new TextDecoder();

  function base64Bytes(text) {
    const binary = atob(text.trim());
    const bytes = new Uint8Array(binary.length);
    for (let i = 0; i < binary.length; ++i) bytes[i] = binary.charCodeAt(i);
    return bytes;
  }

  // Each import the module names gets a stub: it needs none of them to compute.
  // Memory growth is only announced; anything else (an abort) is an error.
  function stubImports(module) {
    const imports = {};
    for (const { module: name, name: field, kind } of WebAssembly.Module.imports(module)) {
      if (kind !== "function") continue;
      imports[name] = imports[name] || {};
      imports[name][field] =
        field === "emscripten_notify_memory_growth"
          ? () => {}
          : () => {
              throw new Error("kestrova: the module called " + name + "." + field);
            };
    }
    return imports;
  }

  async function load() {
    const bytes = base64Bytes(document.getElementById("kestrova-wasm").textContent);
    const module = await WebAssembly.compile(bytes);
    const instance = await WebAssembly.instantiate(module, stubImports(module));
    if (instance.exports._initialize) instance.exports._initialize();
    wasm = instance.exports;
  }

  // Calls `fn` of the module with `text` as its input; returns its output text.
  function call(fn, text) {
    const data = encoder.encode(text);
    const at = wasm.kestrova_input(data.length);
    new Uint8Array(wasm.memory.buffer, at, data.length).set(data);
    const out = wasm[fn].apply(null, Array.prototype.slice.call(arguments, 2));
    return decoder.decode(new Uint8Array(wasm.memory.buffer, out, wasm.kestrova_output_size()));
  }

  // The patient's values as kestrova-cli's arguments; absent values are not given.
  function commandLine(patient) {
    const words = [];
    for (const [name, key] of API_KEYS) {
      const value = patient[name];
      if (value === undefined || value === null || value === "") continue;
      words.push(key + String(value));
    }
    return words.join(" ");
  }

  function ready() {
    if (!wasm) throw new Error("kestrova: not loaded yet (await kestrova.ready)");
  }

  const api = {
    version: "@VERSION@",
    // The object kestrova-cli --format json prints for the same values.
    compute(patient) {
      ready();
      return JSON.parse(call("kestrova_json", commandLine(patient)));
    },
    // kestrova-cli's text report, plain; "" when nothing is computed.
    report(patient) {
      ready();
      return call("kestrova_report", commandLine(patient));
    },
    // kestrova-cli --format chart; "" when nothing is computed.
    chart(patient) {
      ready();
      return call("kestrova_chart", commandLine(patient));
    },
    // kestrova-cli --format html; "" when nothing is computed.
    html(patient) {
      ready();
      return call("kestrova_html", commandLine(patient));
    },
  };
  api.ready = load().then(() => api);
  window.kestrova = api;

  // ---- The form ----

  const $ = (id) => document.getElementById(id);
  const touched = new Set();
  let current = null; // the values of the result shown, or null

  // The batch's reason, in Japanese for the field's message.
  function message(reason) {
    let m;
    if (/ is empty$/.test(reason)) return "入力してください";
    if (/ is not a number$/.test(reason)) return "数値で入力してください（例 45、160.5）";
    if (/ is not above 0$/.test(reason)) return "0 より大きい値を入力してください";
    if (/ is negative$/.test(reason)) return "0 以上の値を入力してください（空欄は未測定）";
    if ((m = / is above (\S+)$/.exec(reason))) return m[1] + " 以下の値を入力してください";
    return reason;
  }

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

  // Checks every field; returns the patient's values, or null when a value is
  // refused or missing.
  function readForm() {
    let ok = true;
    const patient = { sex: selectedSex() };
    if (!patient.sex) ok = false;
    // Once a field has been left, a missing sex says so too.
    setMessage("sex", !patient.sex && touched.size > 0 ? "性別を選んでください" : "");
    for (const [id, , column] of FIELDS) {
      const text = $(id).value;
      const reason = call("kestrova_check", text, column);
      const empty = text.trim() === "";
      // An empty required field says so once it has been left.
      setMessage(id, reason && (!empty || touched.has(id)) ? message(reason) : "");
      if (reason) ok = false;
      else if (!empty) patient[id] = text.trim();
    }
    return ok ? patient : null;
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
    "table{font-size:max(10pt,0.9rem)}}";

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
    const patient = readForm();
    const status = $("status");
    let html = "";
    if (patient) html = call("kestrova_html", commandLine(patient));
    current = html ? patient : null;
    showReport(html);
    // For bench/web_bench.sh: when the first result appeared.
    if (current && !performance.getEntriesByName("kestrova-first-result").length) {
      performance.mark("kestrova-first-result");
    }
    setButtons(Boolean(current));
    let text;
    if (current) text = "結果を表示しています。";
    else if (FIELDS.some(([id]) => $(id).getAttribute("aria-invalid") === "true")) text = "入力を確認してください。";
    else text = "性別を選び、年齢と身長を入力すると結果が表示されます。";
    if (status.textContent !== text) status.textContent = text;
  }

  // Enter moves on to the next control, as Tab does.
  function onKeyDown(event) {
    if (event.key !== "Enter" || event.isComposing) return;
    const order = [selectedSex() === "F" ? $("sex-f") : $("sex-m")]
      .concat(FIELDS.map(([id]) => $(id)))
      .concat([$("print")]);
    const at = order.indexOf(event.target.type === "radio" ? order[0] : event.target);
    if (at < 0) return;
    event.preventDefault();
    const next = order.slice(at + 1).find((el) => !el.disabled) || $("copy");
    next.focus();
  }

  async function copyReport() {
    const text = call("kestrova_chart", commandLine(current));
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
    const html = call("kestrova_html", commandLine(current));
    const url = URL.createObjectURL(new Blob([html], { type: "text/html;charset=utf-8" }));
    const a = document.createElement("a");
    a.href = url;
    a.download = "kestrova-report.html";
    document.body.append(a);
    a.click();
    a.remove();
    setTimeout(() => URL.revokeObjectURL(url), 10000);
  }

  // ?sex=F&age=45&height=160&vc=…: the fields filled from the address.
  function fillFromQuery() {
    const query = new URLSearchParams(location.search);
    if (query.has("sex")) {
      const sex = call("kestrova_sex", query.get("sex"));
      if (sex) $(sex === "M" ? "sex-m" : "sex-f").checked = true;
    }
    for (const [id] of FIELDS) {
      if (query.has(id)) {
        $(id).value = query.get(id);
        touched.add(id);
      }
    }
  }

  async function start() {
    await api.ready;
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
