// Speed of kestrova.html in headless Chromium (figures, not a test):
//   load     from opening the file (navigation start) to the first result
//            for a patient in the address, the median of 10 loads;
//   compute  kestrova.compute over 100,000 generated patients, patients per
//            second, and the ratio to native ComputeFullResult (Google
//            Benchmark's BM_ComputeFullResult, one core).
//
//   node bench/web_bench.mjs PAGE.html BATCH_BENCHMARKS
import { execFileSync } from "node:child_process";
import { createRequire } from "node:module";
import { pathToFileURL } from "node:url";

const [pagePath, nativeBench] = process.argv.slice(2);
const { chromium } = createRequire(new URL("../tests/web/", import.meta.url))("playwright-core");
const browser = await chromium.launch({
  executablePath: "/usr/bin/chromium",
  args: ["--no-sandbox", "--disable-gpu", "--disable-background-networking", "--disable-component-update",
         "--disable-sync", "--no-first-run"],
});
try {
  const url = pathToFileURL(pagePath).href + "?sex=F&age=45&height=160";
  const loads = [];
  for (let i = 0; i < 10; i++) {
    const page = await browser.newPage();
    await page.goto(url);
    await page.waitForFunction(() => performance.getEntriesByName("kestrova-first-result").length > 0);
    loads.push(await page.evaluate(() => performance.getEntriesByName("kestrova-first-result")[0].startTime));
    await page.close();
  }
  loads.sort((a, b) => a - b);
  console.log(`load to first result: median ${loads[5].toFixed(0)} ms (min ${loads[0].toFixed(0)}, ` +
              `max ${loads[9].toFixed(0)}; goal 300 ms)`);

  const page = await browser.newPage();
  await page.goto(pathToFileURL(pagePath).href);
  await page.evaluate(() => kestrova.ready);
  const seconds = await page.evaluate(() => {
    const patients = [];
    for (let i = 0; i < 100000; i++) {
      patients.push({ sex: i % 2 ? "M" : "F", age: String(18 + (i % 77)), height: String(140 + (i % 55)),
                      vc: (2 + (i % 300) / 100).toFixed(2), fvc: (2 + (i % 290) / 100).toFixed(2),
                      fev1: (1.5 + (i % 210) / 100).toFixed(2) });
    }
    const start = performance.now();
    let red = 0;
    for (const p of patients) red += kestrova.compute(p).results[0].red ? 1 : 0;
    return [(performance.now() - start) / 1000, red];
  });
  const perSecond = 100000 / seconds[0];
  console.log(`kestrova.compute: ${Math.round(perSecond)} patients/s (100,000 in ${seconds[0].toFixed(2)} s)`);

  const report = JSON.parse(execFileSync(nativeBench, ["--benchmark_filter=BM_ComputeFullResult$",
    "--benchmark_format=json", "--benchmark_min_time=0.5"], { encoding: "utf8" }));
  const ns = report.benchmarks[0].cpu_time;
  const native = 1e9 / ns;
  console.log(`native ComputeFullResult: ${Math.round(native)} patients/s (${ns.toFixed(0)} ns each)`);
  console.log(`ratio native / browser: ${(native / perSecond).toFixed(1)} ` +
              "(compute also writes the JSON text and parses it back)");
} finally {
  await browser.close();
}
