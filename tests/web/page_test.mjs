// Browser tests of kestrova.html in Debian's Chromium, headless, from file://:
//   API         a dozen typed patients (numbers and texts, sex as 1, "男性",
//               "Ｍ", full-width digits, refused values) through the page's
//               kestrova.compute equal the Node runner's (api_node.mjs on the
//               module beside the page) and, when accepted, kestrova-cli's JSON;
//               a wrong key or type is an Error naming it; generated children
//               and adults with both GLI sets equal kestrova-cli --gli;
//   typing      a patient typed field by field with Tab shows the report's
//               texts and red flags, at 360 px wide without sideways scrolling;
//               FEV1 above FVC shows the warning under 確認 !!;
//   refusing    a refused value shows the module's message and no result;
//               full-width digits are accepted, a decimal comma is refused;
//   printing    the PDF is one A4 page;
//   GLI         ticking GLI shows the report's GLI tables, at 360 px;
//   network     no request leaves the page (offline, without WebAssembly's
//               streaming calls);
//   axe         axe-core finds no violation.
//
//   node page_test.mjs PAGE.html KESTROVA-CLI [SCREENSHOT.png]
// (the module kestrova_web.wasm is the one beside PAGE.html)
import { execFileSync } from "node:child_process";
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from "node:fs";
import { createRequire } from "node:module";
import { tmpdir } from "node:os";
import { dirname, join } from "node:path";
import { isDeepStrictEqual } from "node:util";
import { fileURLToPath, pathToFileURL } from "node:url";
import { chromium } from "playwright-core";

const [pagePath, cliPath, screenshotPath] = process.argv.slice(2);
if (!cliPath) {
  console.error("usage: node page_test.mjs PAGE.html KESTROVA-CLI [SCREENSHOT.png]");
  process.exit(2);
}
const pageUrl = pathToFileURL(pagePath).href;
const wasmPath = join(dirname(pagePath), "kestrova_web.wasm");
const axeSource = readFileSync(createRequire(import.meta.url).resolve("axe-core/axe.min.js"), "utf8");

let failures = 0;
function check(ok, what) {
  console.log(`${ok ? "ok  " : "FAIL"} ${what}`);
  if (!ok) failures++;
}

// ---- Typed patients, as a program hands them to kestrova.compute ----
const TYPED = [
  { sex: "F", age: 45, height: 160, vc: 2.5, fvc: 2.4, fev1: 1.6 },
  { sex: 1, age: 45, height: 170 },
  { sex: "1", age: "45", height: "170.0" },
  { sex: "男性", age: 62, height: 168.5, vc: 3.8, fvc: 3.6, fev1: 2.1 },
  { sexCode: 2, age: 30, height: 155, vc: null, fvc: 3, fev1: 3.2 },
  { sex: "Ｍ", age: "４５", height: "１７０．５", fvc: "3.0", fev1: "2.4" },
  { sex: "m", age: 45, height: 170, vc: "3,1" },
  { sex: "F", age: -45, height: 160 },
  { sex: "F", age: 1e21, height: 160 },
  { sex: "F", age: "45 /VC=9", height: 160 },
  { sex: "X", age: 45, height: 160 },
  { sex: "M", height: 170 },
  { sex: "M", age: 45, height: 170, fev1: -1e-7 },
];

// Children 3 to 17 and adults, some at and past GLI's ages (3 to 95), with
// both GLI sets and each GLI-2012 group in turn.
const GROUPS = ["ne-asian", "caucasian", "african-american", "se-asian", "other"];
const GLI_PATIENTS = Array.from({ length: 40 }, (_, i) => {
  const age = [3, 95, 2.5, 96][i] ?? Math.round((i % 2 ? 18 + (i * 3.7) % 77 : 3 + (i * 0.7) % 15) * 10) / 10;
  const height = Math.round(i % 2 ? 150 + (i * 13) % 40 : 95 + Math.min(age, 17) * 5 + i % 9);
  const fvc = Math.round((i % 2 ? 2.5 + (i * 0.37) % 3 : 0.8 + age * 0.2) * 100) / 100;
  const fev1 = i % 7 === 3 ? null : Math.round(fvc * (0.55 + (i * 0.13) % 0.4) * 100) / 100;
  return { sex: i % 3 ? "M" : "F", age, height, fvc, fev1, gli: ["global", "2012"], gliGroup: GROUPS[i % 5] };
});

// What the page's and the Node runner's entries hold for a patient.
function outcome(compute, patient) {
  try {
    return { ok: true, json: compute(patient) };
  } catch (e) {
    return { ok: false, error: e.message, field: e.field, code: e.code };
  }
}

function nodeRunner(list) {
  const dir = mkdtempSync(join(tmpdir(), "kestrova-api-"));
  try {
    writeFileSync(join(dir, "patients.json"), JSON.stringify(list));
    execFileSync(process.execPath, [fileURLToPath(new URL("api_node.mjs", import.meta.url)), wasmPath,
                                    join(dir, "patients.json"), join(dir, "out.json")]);
    return JSON.parse(readFileSync(join(dir, "out.json"), "utf8"));
  } finally {
    rmSync(dir, { recursive: true, force: true });
  }
}

// kestrova-cli's JSON for the values a result was computed from, with the
// GLI sets the patient asks for.
function cliJson(inputs, { gli, gliGroup } = {}) {
  const args = ["--format", "json", `/Sex=${inputs.sexCode === 1 ? "M" : "F"}`, `/Age=${inputs.age}`,
                `/Setake=${inputs.height}`];
  if (gli) args.push("--gli", gli.join(","), ...(gliGroup ? ["--gli-group", gliGroup] : []));
  for (const [name, key] of [["vc", "/VC="], ["fvc", "/FVC="], ["fev1", "/FEV1="]]) {
    if (inputs[name] !== 0) args.push(key + inputs[name]);
  }
  return JSON.parse(execFileSync(cliPath, args, { encoding: "utf8" }));
}

// The first path at which two JSON values differ (the unrounded GLI numbers
// included: GLI's exp, log and erfc are the program's own, the same bits here
// as in kestrova-cli).
function firstDifference(a, b, path = "") {
  if (isDeepStrictEqual(a, b)) return null;
  if (a && b && typeof a === "object" && typeof b === "object") {
    for (const key of new Set([...Object.keys(a), ...Object.keys(b)])) {
      const d = firstDifference(a[key], b[key], `${path}.${key}`);
      if (d) return d;
    }
    return null;
  }
  return `${path}: page ${JSON.stringify(a)}, other ${JSON.stringify(b)}`;
}

// ---- The browser ----
const browser = await chromium.launch({
  executablePath: "/usr/bin/chromium",
  args: ["--no-sandbox", "--disable-gpu", "--disable-background-networking", "--disable-component-update",
         "--disable-sync", "--no-first-run"],
});
const requests = [];
async function openPage(query = "", viewport = { width: 1024, height: 900 }) {
  const context = await browser.newContext({ viewport, locale: "ja-JP" });
  // Offline, and without WebAssembly's streaming calls (as on file:// anyway).
  await context.setOffline(true);
  await context.addInitScript(() => {
    delete WebAssembly.instantiateStreaming;
    delete WebAssembly.compileStreaming;
  });
  // Every request but the page file itself is counted and refused.
  await context.route("**/*", (route) => {
    if (route.request().url() === pageUrl + query) return route.continue();
    requests.push(route.request().url());
    return route.abort();
  });
  const page = await context.newPage();
  page.on("request", (r) => {
    if (r.url() !== pageUrl + query && !r.url().startsWith("data:")) requests.push(r.url());
  });
  page.on("pageerror", (e) => check(false, `no script error (${e.message})`));
  await page.goto(pageUrl + query);
  await page.waitForFunction(() => document.documentElement.dataset.ready === "true");
  return page;
}

// The result rows the page shows: name, predicted value, percentage cell, red.
const shownRows = (page) =>
  page.evaluate(() => {
    const root = document.getElementById("result").shadowRoot;
    return Array.from(root.querySelectorAll("tr[data-name]"), (tr) => {
      const cells = tr.querySelectorAll("td");
      return [tr.dataset.name, cells[1].textContent, cells[2].textContent, cells[2].classList.contains("red")];
    });
  });

try {
  // The API: typed patients as the Node runner and kestrova-cli read them.
  {
    const page = await openPage();
    const version = await page.evaluate(() => kestrova.version);
    check(/^\d+/.test(version), `kestrova.version is "${version}"`);
    const computed = await page.evaluate((ps) => ps.map((p) => {
      try {
        return { ok: true, json: kestrova.compute(p) };
      } catch (e) {
        return { ok: false, error: e.message, field: e.field, code: e.code };
      }
    }), TYPED.concat(GLI_PATIENTS));
    const byNode = nodeRunner(TYPED.concat(GLI_PATIENTS));
    const differ = [0, 0];
    computed.forEach((c, i) => {
      const patient = i < TYPED.length ? TYPED[i] : GLI_PATIENTS[i - TYPED.length];
      const d = firstDifference(c, byNode[i]) ||
                (c.ok ? firstDifference(c.json, cliJson(c.json.inputs, patient)) : null);
      if (d && differ[Number(i >= TYPED.length)]++ < 5) console.log(`  patient ${JSON.stringify(patient)}\n    ${d}`);
    });
    const accepted = computed.slice(0, TYPED.length).filter((r) => r.ok).length;
    check(differ[0] === 0 && accepted === 6,
          `${TYPED.length} typed patients (${accepted} accepted): kestrova.compute equals api_node.mjs and ` +
          `kestrova-cli --format json (${differ[0]} differ)`);
    const withGli = computed.slice(TYPED.length).filter((r) => r.ok && r.json.gli.global?.fev1).length;
    check(differ[1] === 0 && withGli === GLI_PATIENTS.length - 2,
          `${GLI_PATIENTS.length} patients with gli ["global", "2012"] and a gliGroup (${withGli} within GLI's ` +
          `ages): equal kestrova-cli --gli global,2012 --gli-group (${differ[1]} differ)`);
    const sexCodes = computed.slice(0, 6).map((r) => r.ok && r.json.inputs.sexCode);
    check(isDeepStrictEqual(sexCodes, [2, 1, 1, 1, 2, 1]), `F, 1, "1", "男性", sexCode 2, "Ｍ": ${sexCodes}`);
    check(isDeepStrictEqual(computed[4].json.warnings, [{ key: "fev1AboveFvc", text: "入力：3.2 > FVC：3" }]),
          `FEV1 3.2 > FVC 3: ${JSON.stringify(computed[4].json.warnings)}`);
    check(isDeepStrictEqual(computed[5].json.inputs, { sexCode: 1, age: 45, height: 170.5, vc: 0, fvc: 3, fev1: 2.4 }),
          `full-width digits: ${JSON.stringify(computed[5].json.inputs)}`);
    const refused = await page.evaluate(() => {
      try {
        kestrova.compute({ sex: "F", age: -45, height: 160 });
      } catch (e) {
        return [e.constructor.name, e.message, e.field, e.code, e.messageJa];
      }
    });
    check(isDeepStrictEqual(refused, ["Error", "age '-45' is not above 0", "age", "notAboveZero",
                                      "0 より大きい値を入力してください"]), `age -45: ${refused}`);
    check(computed[6].code === "decimalComma", `vc "3,1": ${computed[6].error}`);
    // A number is read as its own decimal, not as JavaScript would write it ("1e+21").
    check(computed[8].error === "age '1000000000000000000000' is above 150" &&
          computed[12].error === "fev1 '-0.0000001' is negative",
          `age 1e21, fev1 -1e-7: ${computed[8].error}; ${computed[12].error}`);
    // Mistakes of the calling code: an Error naming the key, never "not measured".
    const mistakes = await page.evaluate(() =>
      [{ sex: "M", age: true, height: 170 }, { sex: "M", age: 45, height: 170, fev: 2 },
       { sex: "M", sexCode: 1, age: 45, height: 170 }, { sex: "M", age: 45, height: [170] },
       { sex: "M", age: 45n, height: 170 }, { sex: "M", age: 45, height: 170, gli: ["2022"] },
       { sex: "M", age: 45, height: 170, gli: ["2012"], gliGroup: "asian" }].map((p) => {
        try {
          kestrova.compute(p);
          return "accepted";
        } catch (e) {
          return `${e.constructor.name} ${e.field}: ${e.message}`;
        }
      }));
    const named = ["TypeError age", "Error fev", "Error sexCode", "TypeError height", "TypeError age", "Error gli",
                   "Error gliGroup"];
    check(mistakes.every((m, i) => m.startsWith(named[i] + ":")), `wrong keys and types: ${mistakes.join(" | ")}`);
    // The copy button's text is the CLI's chart text.
    const chart = await page.evaluate((p) => kestrova.chart(p), TYPED[0]);
    const cliChart = execFileSync(cliPath, ["--format", "chart", "/Sex=F", "/Age=45", "/Setake=160", "/VC=2.5",
                                            "/FVC=2.4", "/FEV1=1.6"], { encoding: "utf8" });
    check(chart === cliChart, "kestrova.chart equals kestrova-cli --format chart");
    await page.context().close();
  }

  // Typing a patient with Tab at 360 px.
  {
    const page = await openPage("", { width: 360, height: 740 });
    await page.keyboard.press("Tab"); // the first radio button
    await page.keyboard.press("ArrowRight"); // 女性
    for (const text of ["45", "160", "2.5", "2.4", "1.6"]) {
      await page.keyboard.press("Tab");
      await page.keyboard.type(text);
    }
    const rows = await shownRows(page);
    // kestrova-cli's report for F 45 160, VC 2.5, FVC 2.4, FEV1 1.6.
    const expected = [
      ["vcJrs2014", "3.24", "*77.2 %", true],
      ["vcLln", "2.69", "", false],
      ["vcBaldwin", "2.76", "90.6 %", false],
      ["fvcJrs2001", "3.00", "80.0 %", false],
      ["fev1RatioJrs2001G", "0.854", "*78.1 %", true],
    ];
    const byName = Object.fromEntries(rows.map((r) => [r[0], r]));
    check(rows.length === 15, `typing: fifteen result rows (${rows.length})`);
    for (const e of expected) check(isDeepStrictEqual(byName[e[0]], e), `typing: ${JSON.stringify(byName[e[0]])}`);
    const ratio = await page.evaluate(() =>
      document.getElementById("result").shadowRoot.querySelector(".group .red")?.textContent);
    check(ratio === "実測 0.667 *", `typing: measured FEV1/FVC "${ratio}" in red`);
    const width = await page.evaluate(() => document.documentElement.scrollWidth);
    check(width <= 360, `360 px: no sideways scrolling (${width} px)`);
    await page.focus("#age");
    await page.keyboard.press("Enter");
    check((await page.evaluate(() => document.activeElement.id)) === "height", "Enter moves from 年齢 to 身長");

    // FEV1 above FVC: the window's warning under its caption, in a polite live region.
    const warnings = () => page.$$eval("#warnings p", (ps) => ps.map((p) => p.textContent));
    await page.fill("#fev1", "2.45");
    const shown = await warnings();
    const live = await page.getAttribute("#warnings", "aria-live");
    check(isDeepStrictEqual(shown, ["確認 !! 入力：2.45 > FVC：2.4"]) && live === "polite",
          `FEV1 2.45 > FVC 2.4: ${JSON.stringify(shown)} (aria-live ${live})`);

    // axe-core on the page with a result and a warning shown.
    await page.addScriptTag({ content: axeSource });
    const violations = await page.evaluate(async () => (await axe.run(document)).violations);
    check(violations.length === 0, `axe-core: no violation (${violations.map((v) => v.id).join(", ")})`);
    await page.fill("#fev1", "1.6");
    check((await warnings()).length === 0, "FEV1 1.6: no warning");
    await page.context().close();
  }

  // A refused value: its message, no result.
  {
    const page = await openPage("?sex=F&age=45&height=160&vc=2.5&fvc=2.4&fev1=1.6");
    const fromAddress = (await shownRows(page)).find((r) => r[0] === "fev1Jrs2014");
    check(isDeepStrictEqual(fromAddress, ["fev1Jrs2014", "2.58", "*62.0 %", true]),
          `a patient in the address is shown (${fromAddress})`);
    if (screenshotPath) await page.screenshot({ path: screenshotPath, fullPage: true });
    await page.fill("#height", "300");
    const message = await page.textContent("#height-msg");
    check(message === "272 以下の値を入力してください", `height 300: "${message}"`);
    check((await shownRows(page)).length === 0, "height 300: no result");
    await page.fill("#height", "16O");
    check((await page.textContent("#height-msg")).startsWith("数値で"), "height 16O: not a number");
    await page.fill("#height", "160");
    await page.fill("#vc", "3,1");
    const comma = await page.textContent("#vc-msg");
    check(comma === "小数点は「.」で入力してください（例 3.1）" && (await shownRows(page)).length === 0,
          `vc 3,1: "${comma}", no result`);
    await page.fill("#vc", "2.5");
    // Full-width digits and point, as a Japanese input method types them.
    await page.fill("#fev1", "１．８");
    const fullWidth = (await shownRows(page)).find((r) => r[0] === "fev1Jrs2014");
    const expected = await page.evaluate(() => {
      const row = kestrova.compute({ sex: "F", age: 45, height: 160, vc: 2.5, fvc: 2.4, fev1: 1.8 }).results
        .find((r) => r.name === "fev1Jrs2014");
      return (row.red ? "*" : "") + row.cell.trim();
    });
    check((await page.textContent("#fev1-msg")) === "" && fullWidth && fullWidth[2] === expected,
          `fev1 １．８ is 1.8 (${fullWidth}, expected ${expected})`);

    // Printing: one A4 page.
    const pdf = await page.pdf({ preferCSSPageSize: true });
    const info = execFileSync("pdfinfo", ["-"], { input: pdf, encoding: "utf8" });
    const pages = /Pages:\s+(\d+)/.exec(info)[1];
    const size = /Page size:\s+([\d.]+) x ([\d.]+)/.exec(info);
    check(pages === "1" && Math.round(size[1]) === 595 && Math.round(size[2]) === 842,
          `printing: ${pages} page(s) of ${size[1]} x ${size[2]} pt (A4 is 595 x 842)`);
    await page.context().close();
  }

  // GLI: ticking both sets shows kestrova-cli --gli's tables and reading, at 360 px.
  {
    const page = await openPage("?sex=M&age=8&height=128&fvc=1.6&fev1=1.4", { width: 360, height: 740 });
    const side = (html) => page.evaluate((h) => {
      const doc = h ? new DOMParser().parseFromString(h, "text/html") : document.getElementById("result").shadowRoot;
      return Array.from(doc.querySelectorAll(".reading tr, .gli-set"), (e) => e.textContent);
    }, html);
    const before = await side();
    await page.check("#gli-global");
    await page.check("#gli-2012");
    await page.selectOption("#gli-group", "caucasian");
    const shown = await side();
    const cli = await side(execFileSync(cliPath, ["--format", "html", "--gli", "global,2012", "--gli-group",
                                                  "caucasian", "/Sex=M", "/Age=8", "/Setake=128", "/FVC=1.6",
                                                  "/FEV1=1.4"], { encoding: "utf8" }));
    const width = await page.evaluate(() => document.documentElement.scrollWidth);
    check(isDeepStrictEqual(shown, cli) && shown.length === before.length + 3 && width <= 360,
          `GLI ticked: the reading and tables of kestrova-cli --gli global,2012 (${shown.length - before.length} ` +
          `more, ${width} px wide)`);
    await page.context().close();
  }

  // A sex in the address goes through the same rule.
  for (const [sex, id] of [["1", "sex-m"], ["男性", "sex-m"], ["f", "sex-f"], ["X", ""]]) {
    const page = await openPage(`?sex=${encodeURIComponent(sex)}&age=45&height=170`);
    const checked = await page.evaluate(() => document.querySelector('input[name="sex"]:checked')?.id || "");
    const rows = (await shownRows(page)).length;
    const message = await page.textContent("#sex-msg");
    const ok = id ? checked === id && rows === 15 && message === ""
      : checked === "" && rows === 0 && message === "性別は M/F、1/2、男性/女性 のいずれかで入力してください";
    check(ok, `address sex=${sex}: ${checked || "no sex"} chosen, ${rows} rows, "${message}"`);
    await page.context().close();
  }

  check(requests.length === 0, `no network request (${requests.join(" ")})`);
} finally {
  await browser.close();
}
console.log(failures ? `${failures} failed` : "all passed");
process.exit(failures ? 1 : 0);
