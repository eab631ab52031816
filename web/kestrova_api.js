"use strict";
// Kestrova's JavaScript API: the calculator's WebAssembly module
// (kestrova_web.wasm) behind a few functions. The same file runs in the page
// (kestrova.html, which has it inline) and in Node:
//
//   const { createKestrova } = require("./kestrova_api.js");
//   const kestrova = await createKestrova(fs.readFileSync("kestrova_web.wasm"));
//   kestrova.compute({ sex: "F", age: 45, height: 160, vc: 3.1, fvc: 3.0, fev1: 2.4 });
//
// A patient is an object with the keys sex (or sexCode), age, height, vc, fvc
// and fev1. Each value is a string (its text, read as typed), a number (read
// as its shortest decimal text: 160 is "160", 2.35 is "2.35"), or missing:
// null, undefined, NaN or no key at all. The values are read by the one rule
// of every surface (the batch, kestrova-cli, Python): sex M/F, 1/2, 男/女,
// 男性/女性, Ｍ/Ｆ (m/f in any case); numbers [+|-]digits[.digits] in ASCII or
// full-width digits; age above 0 to 150, height above 0 to 272 cm, required;
// vc, fvc, fev1 empty (not measured) or 0 to 15 L.
//
// A refused value throws an Error whose message is the batch's ("age '-45' is
// not above 0"), with `field` ("age"), `code` ("notAboveZero") and `messageJa`
// (the form's message, "0 より大きい値を入力してください"). A key that is not
// one of these, sex and sexCode both, and a value that is neither a string nor
// a number (a boolean, an object, a bigint) are mistakes in the calling code:
// an Error (unknownKey, sexAndSexCode) or a TypeError (notTextOrNumber) that
// names the key, never a value taken as not measured.
//
// A patient may also ask for GLI results, as kestrova-cli --gli and
// --gli-group do: gli, an array of GLI sets ("global" GLI Global 2022,
// "2012" GLI-2012, each at most once), and gliGroup, GLI-2012's group
// ("caucasian", "african-american", "ne-asian" the default, "se-asian",
// "other"; only with "2012"). compute then has the JSON's "gli" and
// reading.ersAts2022Gli, and report, chart and html their GLI section:
//   kestrova.compute({ sex: "M", age: 8, height: 128, fvc: 1.6, fev1: 1.4,
//                      gli: ["global", "2012"], gliGroup: "caucasian" });
// A name that is not one of these is an Error naming it (unknownGliSet,
// gliSetTwice, unknownGliGroup, gliGroupWithout2012), a gli that is not an
// array a TypeError (notAnArray).
//
// createKestrova returns a promise of the API object, whose functions are
// synchronous:
//   compute(patient)  the object kestrova-cli --format json prints (with --gli
//                     and --gli-group for the patient's gli and gliGroup)
//   report(patient)   kestrova-cli's text report, plain ("*" marks red cells)
//   chart(patient)    kestrova-cli --format chart
//   html(patient)     kestrova-cli --format html
//   check(patient)    each value on its own, for a form: {sex: null,
//                     age: {field, code, message, messageJa}, …}
//   sexCode(sex)      1 (male) or 2 (female) for a sex value; its Error if refused
//   version           "26"
//   relationCaption   "確認 !!", the caption of the JSON's "warnings" texts
const createKestrova = (() => {
  // In PatientValue order, as the module numbers the values.
  const NAMES = ["sex", "age", "height", "vc", "fvc", "fev1"];
  const KEYS = NAMES.concat(["sexCode", "gli", "gliGroup"]);
  const encoder = new TextEncoder();
  const decoder = new TextDecoder();

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

  function mistake(ErrorType, message, field, code) {
    const error = new ErrorType("kestrova: " + message);
    error.field = field;
    error.code = code;
    return error;
  }

  // A value named in a message: a text quoted, anything else by its type.
  function quoted(value) {
    if (typeof value === "string") return `'${value}'`;
    return typeof value === "number" ? String(value) : describe(value);
  }

  function describe(value) {
    if (value === null) return "null";
    if (Array.isArray(value)) return "an array";
    return typeof value === "object" ? "an object" : "a " + typeof value;
  }

  return async function createKestrova(wasmBytes) {
    const module = await WebAssembly.compile(wasmBytes);
    const instance = await WebAssembly.instantiate(module, stubImports(module));
    const wasm = instance.exports;
    if (wasm._initialize) wasm._initialize();

    // The text the module's last call returned.
    function output(at) {
      return decoder.decode(new Uint8Array(wasm.memory.buffer, at, wasm.kestrova_output_size()));
    }

    // Hands the patient's values to the module, each by its type.
    function hand(patient) {
      if (patient === null || typeof patient !== "object" || Array.isArray(patient)) {
        throw mistake(TypeError, "a patient is an object such as {sex: \"F\", age: 45, height: 160}, not " +
                      describe(patient), "", "notAPatient");
      }
      const keys = Object.keys(patient);
      for (const key of keys) {
        if (!KEYS.includes(key)) {
          throw mistake(Error, `unknown key '${key}' (the keys are sex or sexCode, age, height, vc, fvc, fev1, ` +
                        "gli, gliGroup)", key, "unknownKey");
        }
      }
      if (keys.includes("sex") && keys.includes("sexCode")) {
        throw mistake(Error, "sex and sexCode are the same value: give one of them", "sexCode", "sexAndSexCode");
      }
      wasm.kestrova_clear();
      NAMES.forEach((name, index) => {
        const key = index === 0 && keys.includes("sexCode") ? "sexCode" : name;
        const value = patient[key];
        if (value === undefined || value === null) return;
        if (typeof value === "number") {
          wasm.kestrova_number(index, value); // NaN is missing
        } else if (typeof value === "string") {
          const data = encoder.encode(value);
          const at = wasm.kestrova_text(index, data.length);
          new Uint8Array(wasm.memory.buffer, at, data.length).set(data);
        } else {
          throw mistake(TypeError, `${key} is a string or a number, not ${describe(value)}`, key, "notTextOrNumber");
        }
      });
      handGli(patient.gli, patient.gliGroup);
    }

    // Hands `name` to the module for kestrova_gli_set or kestrova_gli_group:
    // their answer, 1 (no such name) for a value that is not a string.
    function askGli(name, ask) {
      if (typeof name !== "string") return 1;
      const data = encoder.encode(name);
      new Uint8Array(wasm.memory.buffer, wasm.kestrova_name(data.length), data.length).set(data);
      return ask();
    }

    // The GLI sets and GLI-2012's group, read by the module by kestrova-cli's names.
    function handGli(sets, group) {
      if (sets !== undefined && sets !== null) {
        if (!Array.isArray(sets)) {
          throw mistake(TypeError, `gli is an array of GLI sets such as ["global", "2012"], not ${describe(sets)}`,
                        "gli", "notAnArray");
        }
        for (const set of sets) {
          const answer = askGli(set, wasm.kestrova_gli_set);
          if (answer === 1) {
            throw mistake(Error, `gli: ${quoted(set)} is no GLI set (${output(wasm.kestrova_gli_names(0))})`,
                          "gli", "unknownGliSet");
          }
          if (answer === 2) throw mistake(Error, `gli: '${set}' is named twice`, "gli", "gliSetTwice");
        }
      }
      if (group === undefined || group === null) return;
      const answer = askGli(group, wasm.kestrova_gli_group);
      if (answer === 1) {
        throw mistake(Error, `gliGroup: ${quoted(group)} is no GLI-2012 group ` +
                      `(${output(wasm.kestrova_gli_names(1))})`, "gliGroup", "unknownGliGroup");
      }
      if (answer === 2) {
        throw mistake(Error, `gliGroup goes with gli "2012" only (GLI Global has no groups)`, "gliGroup",
                      "gliGroupWithout2012");
      }
    }

    function problem(index) {
      return {
        field: NAMES[index],
        code: output(wasm.kestrova_problem(index, 2)),
        message: output(wasm.kestrova_problem(index, 0)),
        messageJa: output(wasm.kestrova_problem(index, 1)),
      };
    }

    function refusal(p) {
      const error = new Error(p.message);
      error.field = p.field;
      error.code = p.code;
      error.messageJa = p.messageJa;
      return error;
    }

    // Reads the patient; throws the first refused value's error.
    function read(patient) {
      hand(patient);
      const refused = wasm.kestrova_read();
      if (refused >= 0) throw refusal(problem(refused));
    }

    return Object.freeze({
      version: output(wasm.kestrova_version()),
      relationCaption: output(wasm.kestrova_relation_caption()),
      compute(patient) {
        read(patient);
        return JSON.parse(output(wasm.kestrova_json()));
      },
      report(patient) {
        read(patient);
        return output(wasm.kestrova_report());
      },
      chart(patient) {
        read(patient);
        return output(wasm.kestrova_chart());
      },
      html(patient) {
        read(patient);
        return output(wasm.kestrova_html());
      },
      sexCode(sex) {
        hand({ sex });
        const code = wasm.kestrova_read_sex();
        if (code < 0) throw refusal(problem(0));
        return code;
      },
      check(patient) {
        hand(patient);
        wasm.kestrova_check();
        const problems = {};
        NAMES.forEach((name, index) => {
          problems[name] = output(wasm.kestrova_problem(index, 2)) ? problem(index) : null;
        });
        return problems;
      },
    });
  };
})();

if (typeof module === "object" && module.exports) module.exports = { createKestrova };
