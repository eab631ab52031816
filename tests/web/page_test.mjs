// Browser tests of kestrova.html in Debian's Chromium, headless, from file://:
//   exactness   2,000 generated patients through kestrova.compute equal the
//               native kestrova-cli --format json, value for value;
//   typing      a patient typed field by field with Tab shows the report's
//               texts and red flags, at 360 px wide without sideways scrolling;
//   refusing    a refused value shows its message and no result;
//   printing    the PDF is one A4 page;
//   network     no request leaves the page (offline, without WebAssembly's
//               streaming calls);
//   axe         axe-core finds no violation.
//
//   node page_test.mjs PAGE.html KESTROVA-CLI [SCREENSHOT.png]
import { execFile, execFileSync } from "node:child_process";
import { availableParallelism } from "node:os";
import { promisify } from "node:util";
import { readFileSync, writeFileSync } from "node:fs";
import { createRequire } from "node:module";
import { isDeepStrictEqual } from "node:util";
import { pathToFileURL } from "node:url";
import { chromium } from "playwright-core";

const [pagePath, cliPath, screenshotPath] = process.argv.slice(2);
if (!cliPath) {
  console.error("usage: node page_test.mjs PAGE.html KESTROVA-CLI [SCREENSHOT.png]");
  process.exit(2);
}
const pageUrl = pathToFileURL(pagePath).href;
const axeSource = readFileSync(createRequire(import.meta.url).resolve("axe-core/axe.min.js"), "utf8");

let failures = 0;
function check(ok, what) {
  console.log(`${ok ? "ok  " : "FAIL"} ${what}`);
  if (!ok) failures++;
}

// ---- Generated patients: a fixed pseudo-random sequence (mulberry32) ----
function generator(seed) {
  return () => {
    seed = (seed + 0x6d2b79f5) | 0;
    let t = Math.imul(seed ^ (seed >>> 15), 1 | seed);
    t = (t + Math.imul(t ^ (t >>> 7), 61 | t)) ^ t;
    return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
  };
}

function patients(count) {
  const random = generator(20260);
  const pick = (list) => list[Math.floor(random() * list.length)];
  const decimal = (lo, hi, places) => (lo + random() * (hi - lo)).toFixed(places);
  const out = [];
  for (let i = 0; i < count; i++) {
    // Ages and heights across the equations' ranges and beyond, with their edges.
    const age = random() < 0.1 ? pick(["3", "5", "17", "18", "95", "100", "150", "18.5"]) : decimal(3, 99, pick([0, 0, 1]));
    const height = random() < 0.1 ? pick(["100", "110.5", "200", "272"]) : decimal(100, 200, pick([0, 1, 1]));
    const volume = () => (random() < 0.15 ? undefined : decimal(0.3, 6.5, pick([1, 2, 2])));
    const p = { sex: pick(["M", "F"]), age, height, vc: volume(), fvc: volume(), fev1: volume() };
    if (random() < 0.01) delete p[pick(["age", "height"])]; // the panel stays empty
    // FEV1 below FVC mostly, as measured.
    if (p.fvc && p.fev1 && random() < 0.8 && +p.fev1 > +p.fvc) [p.fvc, p.fev1] = [p.fev1, p.fvc];
    out.push(p);
  }
  return out;
}

async function cliJson(p) {
  return JSON.parse(await cliText(p, "json"));
}

async function cliText(p, format) {
  const args = ["--format", format];
  const keys = { sex: "/Sex=", age: "/Age=", height: "/Setake=", vc: "/VC=", fvc: "/FVC=", fev1: "/FEV1=" };
  for (const [name, key] of Object.entries(keys)) if (p[name] !== undefined) args.push(key + p[name]);
  // Exit status 2 with its JSON ("computed": false) when the panel stays empty.
  const stdout = await promisify(execFile)(cliPath, args, { encoding: "utf8" }).then(
    (r) => r.stdout,
    (e) => (e.code === 2 ? e.stdout : Promise.reject(e)));
  return stdout;
}

// kestrova-cli's JSON for each patient, a few processes at a time.
async function cliJsonAll(list) {
  const out = new Array(list.length);
  let next = 0;
  const worker = async () => {
    while (next < list.length) {
      const i = next++;
      out[i] = await cliJson(list[i]);
    }
  };
  await Promise.all(Array.from({ length: availableParallelism() }, worker));
  return out;
}

// The first path at which two JSON values differ.
function firstDifference(a, b, path = "") {
  if (isDeepStrictEqual(a, b)) return null;
  if (a && b && typeof a === "object" && typeof b === "object") {
    for (const key of new Set([...Object.keys(a), ...Object.keys(b)])) {
      const d = firstDifference(a[key], b[key], `${path}.${key}`);
      if (d) return d;
    }
  }
  return `${path}: page ${JSON.stringify(a)}, CLI ${JSON.stringify(b)}`;
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
  // Exactness.
  {
    const page = await openPage();
    const list = patients(2000);
    const version = await page.evaluate(() => kestrova.version);
    check(/^\d+/.test(version), `kestrova.version is "${version}"`);
    const computed = await page.evaluate((ps) => ps.map((p) => kestrova.compute(p)), list);
    const expected = await cliJsonAll(list);
    let differ = 0;
    for (let i = 0; i < list.length; i++) {
      const d = firstDifference(computed[i], expected[i]);
      if (d && differ++ < 5) console.log(`  patient ${JSON.stringify(list[i])}\n    ${d}`);
    }
    const shown = computed.filter((r) => r.computed).length;
    check(differ === 0, `2000 patients (${shown} computed): kestrova.compute equals kestrova-cli --format json (${differ} differ)`);
    // The copy button's text is the CLI's chart text.
    const some = list.filter((p, i) => computed[i].computed).slice(0, 20);
    const charts = await page.evaluate((ps) => ps.map((p) => kestrova.chart(p)), some);
    const cliCharts = await Promise.all(some.map((p) => cliText(p, "chart")));
    const chartsDiffer = charts.filter((c, i) => c !== cliCharts[i]).length;
    check(chartsDiffer === 0, `20 patients: kestrova.chart equals kestrova-cli --format chart (${chartsDiffer} differ)`);
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

    // axe-core on the page with a result shown.
    await page.addScriptTag({ content: axeSource });
    const violations = await page.evaluate(async () => (await axe.run(document)).violations);
    check(violations.length === 0, `axe-core: no violation (${violations.map((v) => v.id).join(", ")})`);
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

    // Printing: one A4 page.
    const pdf = await page.pdf({ preferCSSPageSize: true });
    const info = execFileSync("pdfinfo", ["-"], { input: pdf, encoding: "utf8" });
    const pages = /Pages:\s+(\d+)/.exec(info)[1];
    const size = /Page size:\s+([\d.]+) x ([\d.]+)/.exec(info);
    check(pages === "1" && Math.round(size[1]) === 595 && Math.round(size[2]) === 842,
          `printing: ${pages} page(s) of ${size[1]} x ${size[2]} pt (A4 is 595 x 842)`);
    await page.context().close();
  }

  check(requests.length === 0, `no network request (${requests.join(" ")})`);
} finally {
  await browser.close();
}
console.log(failures ? `${failures} failed` : "all passed");
process.exit(failures ? 1 : 0);
