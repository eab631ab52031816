// The page's JavaScript API (web/kestrova_api.js) in Node, on patients from a
// file: what kestrova.compute gives each, for comparing the page's reading of
// a patient with the other surfaces'.
//
//   node api_node.mjs KESTROVA_WEB.wasm PATIENTS.json OUT.json
//
// KESTROVA_WEB.wasm is the web build's module (build/web/web/kestrova_web.wasm).
// PATIENTS.json is an array of patients, objects whose values are strings,
// numbers or null (a missing key is missing), with gli and gliGroup when they
// ask for GLI results, handed to kestrova.compute as they are. OUT.json gets one entry per patient, in order:
//   {"ok": true, "json": <kestrova.compute's object>}
//   {"ok": false, "error": <message>, "field": <field>, "code": <code>}
import { readFileSync, writeFileSync } from "node:fs";
import { createRequire } from "node:module";

const [wasmPath, patientsPath, outPath] = process.argv.slice(2);
if (!outPath) {
  console.error("usage: node api_node.mjs KESTROVA_WEB.wasm PATIENTS.json OUT.json");
  process.exit(2);
}
const { createKestrova } = createRequire(import.meta.url)("../../web/kestrova_api.js");
const kestrova = await createKestrova(readFileSync(wasmPath));
const patients = JSON.parse(readFileSync(patientsPath, "utf8"));
if (!Array.isArray(patients)) {
  console.error(`api_node.mjs: ${patientsPath} is not a JSON array`);
  process.exit(2);
}
const out = patients.map((patient) => {
  try {
    return { ok: true, json: kestrova.compute(patient) };
  } catch (e) {
    return { ok: false, error: e.message, field: e.field, code: e.code };
  }
});
writeFileSync(outPath, JSON.stringify(out, null, 1) + "\n");
