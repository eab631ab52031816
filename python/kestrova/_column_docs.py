"""What each output column of compute_many and compute_frame holds: its
meaning, unit, the equation behind it and the source to cite for that
equation. Each source is written once, in CITATIONS; a column names its
source by key. Every column the package returns has an entry (a test keeps
them in step with the compiled core's column list)."""

from collections import namedtuple

#: The sources, each written once.
CITATIONS = {
    "JRS2014": "Kubota M, Kobayashi H, Quanjer PH, et al. Reference values for spirometry, including vital "
    "capacity, in Japanese adults calculated with the LMS method and compared with previous values. "
    "Respir Investig 2014;52:242–250. doi:10.1016/j.resinv.2014.03.003",
    "JRS2001": "The Japanese Respiratory Society (日本呼吸器学会肺生理専門委員会). 日本人のスパイログラムと"
    "動脈血液ガス分圧基準値. 2001 (linear in age and height; FEV1/FVC by two equations, (T) and (G)).",
    "Baldwin": "Baldwin ED, Cournand A, Richards DW Jr. Pulmonary insufficiency I. Physiological "
    "classification, clinical methods of analysis, standard values in normal subjects. Medicine "
    "(Baltimore) 1948;27:243–278.",
    "Berglund": "Berglund E, Birath G, Bjure J, et al. Spirometric studies in normal subjects. I. Forced "
    "expirograms in subjects between 7 and 70 years of age. Acta Med Scand 1963;173:185–192.",
    "JRS ventilatory": "The Japanese Respiratory Society's classification of ventilatory impairment: "
    "restrictive when %VC < 80.0, obstructive when FEV1/FVC < 0.700, mixed when both.",
    "ERS/ATS 2022": "Stanojevic et al., ERS/ATS technical standard on interpretive strategies for routine "
    "lung function tests, Eur Respir J 2022;60:2101499 (patterns, PRISm, severity); PRISm as a normal "
    "FEV1/FVC with a low FEV1 regardless of FVC: Wan et al., COPDGene, Am J Respir Crit Care Med 2014; "
    "Wijnant et al., the Rotterdam Study, Eur Respir J 2020.",
    "JRS COPD": "The JRS COPD guidelines' stages by %FEV1 (as GOLD): I >= 80.0, II 50.0-79.9, "
    "III 30.0-49.9, IV < 30.0, for FEV1/FVC < 0.700 after a bronchodilator.",
    "JRS lung age": "The JRS lung-age equations: male (0.036 x height - 1.178 - FEV1) / 0.028, "
    "female (0.022 x height - 0.005 - FEV1) / 0.022.",
    "Disability": "The certification criteria of Japan's Act on Welfare of Physically Disabled Persons "
    "(respiratory function: FEV1 x 100 / predicted VC; grades 1, 3 and 4).",
    "GLI Global": "Bowerman C, Bhakta NR, Brazzale D, et al. A race-neutral approach to the interpretation "
    "of lung function measurements. Am J Respir Crit Care Med 2023;207:768–774. "
    "doi:10.1164/rccm.202205-0963OC",
    "GLI-2012": "Quanjer PH, Stanojevic S, Cole TJ, et al. Multi-ethnic reference values for spirometry for "
    "the 3–95-yr age range: the global lung function 2012 equations. Eur Respir J 2012;40:1324–1343. "
    "doi:10.1183/09031936.00080312",
}

#: One column: name, kind ("number", "flag", "text", "code" or "error"),
#: meaning, unit ("" when none), equation (JRS2014, JRS2001, Baldwin,
#: Berglund, "reading: …" or "input"), source (a key of CITATIONS, or None)
#: and citation (its text, or "").
Column = namedtuple("Column", "name kind meaning unit equation source citation")

_QUANTITY = {"vc": "VC", "fvc": "FVC", "fev1": "FEV1", "fev1Ratio": "FEV1/FVC"}
_UNIT = {"vc": "L", "fvc": "L", "fev1": "L", "fev1Ratio": "fraction"}

# The fifteen results: name -> (quantity, equation, what it is).
_RESULTS = {
    "vcJrs2014": ("vc", "JRS2014", "predicted VC (median)"),
    "vcLln": ("vc", "JRS2014", "lower limit of normal of VC (z = -1.645)"),
    "vcJrs2001": ("vc", "JRS2001", "predicted VC"),
    "vcBaldwin": ("vc", "Baldwin", "predicted VC"),
    "fvcJrs2014": ("fvc", "JRS2014", "predicted FVC (median)"),
    "fvcLln": ("fvc", "JRS2014", "lower limit of normal of FVC (z = -1.645)"),
    "fvcJrs2001": ("fvc", "JRS2001", "predicted FVC"),
    "fev1Jrs2014": ("fev1", "JRS2014", "predicted FEV1 (median)"),
    "fev1Lln": ("fev1", "JRS2014", "lower limit of normal of FEV1 (z = -1.645)"),
    "fev1Jrs2001": ("fev1", "JRS2001", "predicted FEV1"),
    "fev1Berglund": ("fev1", "Berglund", "predicted FEV1"),
    "fev1RatioJrs2014": ("fev1Ratio", "JRS2014", "predicted FEV1/FVC (median)"),
    "fev1RatioLln": ("fev1Ratio", "JRS2014", "lower limit of normal of FEV1/FVC (z = -1.645)"),
    "fev1RatioJrs2001T": ("fev1Ratio", "JRS2001", "predicted FEV1/FVC, equation (T)"),
    "fev1RatioJrs2001G": ("fev1Ratio", "JRS2001", "predicted FEV1/FVC, equation (G)"),
}

# When the window shows a result's percentage in red.
_RED_RULES = {
    "BelowLln": "the measured value is below the LLN as shown",
    "Under80": "the percentage as shown is below 80.0",
    "Never": "never (always 0)",
    "BelowPrediction": "the measured FEV1/FVC is below the prediction",
}
_RED = {
    "vcJrs2014": "BelowLln", "vcJrs2001": "Under80", "vcBaldwin": "Under80",
    "fvcJrs2014": "BelowLln", "fvcJrs2001": "Never",
    "fev1Jrs2014": "BelowLln", "fev1Jrs2001": "Never", "fev1Berglund": "Never",
    "fev1RatioJrs2014": "BelowPrediction", "fev1RatioJrs2001T": "BelowPrediction",
    "fev1RatioJrs2001G": "BelowPrediction",
}  # fmt: skip

# The reading's columns and the rest: name -> (kind, meaning, unit, equation, source).
_OTHERS = {
    "sexCode": ("code", "the sex as read: 1 male, 2 female", "", "input", None),
    "measuredRatio": ("number", "measured FEV1/FVC (3 decimals)", "fraction", "input", None),
    "measuredRatioRed": ("flag", "1 when the measured FEV1/FVC is below its JRS2014 LLN", "", "JRS2014",
                         "JRS2014"),
    "ventilatoryClass": ("text", "ventilatory pattern with %VC by JRS2001: normal, restrictive, obstructive, "
                         "mixed, or outOfRange (ages 18 to 95)", "", "reading: JRS2001", "JRS ventilatory"),
    "ventilatoryPercentVc": ("number", "the %VC (JRS2001) the pattern was read on", "%", "reading: JRS2001",
                             "JRS ventilatory"),
    "ventilatoryBaldwinClass": ("text", "the same pattern with %VC by Baldwin, for reference; outOfRange "
                                "below 18 years", "", "reading: Baldwin", "JRS ventilatory"),
    "ventilatoryBaldwinPercentVc": ("number", "the %VC (Baldwin) that pattern was read on", "%",
                                    "reading: Baldwin", "JRS ventilatory"),
    "ersAtsPattern": ("text", "ERS/ATS 2022 pattern on JRS2014 z-scores: normal, obstruction, "
                      "possibleRestriction, prism, possibleMixed, or outOfRange", "", "reading: JRS2014",
                      "ERS/ATS 2022"),
    "ersAtsSeverity": ("text", "severity from the FEV1 z-score: mild, moderate, severe; fev1NotBelowLln "
                       "when something but FEV1 is below its LLN; missing when normal", "", "reading: JRS2014",
                       "ERS/ATS 2022"),
    "ersAtsFev1FvcBelowLln": ("flag", "1 when the unrounded FEV1/FVC z-score is below -1.645", "",
                              "reading: JRS2014", "ERS/ATS 2022"),
    "ersAtsFvcBelowLln": ("flag", "1 when the unrounded FVC z-score is below -1.645", "", "reading: JRS2014",
                          "ERS/ATS 2022"),
    "ersAtsFev1BelowLln": ("flag", "1 when the unrounded FEV1 z-score is below -1.645", "", "reading: JRS2014",
                           "ERS/ATS 2022"),
    "ersAtsFev1Z": ("number", "the FEV1 z-score the severity was read on (2 decimals)", "z",
                    "reading: JRS2014", "ERS/ATS 2022"),
    "copdStage": ("text", "COPD stage I to IV when FEV1/FVC < 0.700, notStaged otherwise, or outOfRange", "",
                  "reading: JRS2001", "JRS COPD"),
    "copdPercentFev1": ("number", "the %FEV1 (JRS2001) the stage was read on", "%", "reading: JRS2001",
                        "JRS COPD"),
    "lungAge": ("number", "lung age from FEV1 (1 decimal)", "years", "reading: JRS2001", "JRS lung age"),
    "lungAgeYears": ("text", "lung age as shown: whole years, <18, >95, or outOfRange", "years",
                     "reading: JRS2001", "JRS lung age"),
    "lungAgeCorrected": ("flag", "1 when the lung age is the patient's own age (FEV1/FVC < 0.700 with "
                         "%FEV1 >= 100.0)", "", "reading: JRS2001", "JRS lung age"),
    "disabilityIndex": ("number", "respiratory disability index: FEV1 x 100 / JRS2001 predicted VC "
                        "(1 decimal)", "%", "reading: JRS2001", "Disability"),
    "disabilityGrade": ("text", "grade by the index: grade1, grade3, grade4, none, or outOfRange", "",
                        "reading: JRS2001", "Disability"),
    "warnings": ("text", "volumes that contradict each other: vcBelowFvc or vcBelowFev1, then fev1AboveFvc, "
                 "joined by ';'; missing when none", "", "input", None),
}

# The GLI columns (with gli=): set in the name -> (equation, source); quantity
# in the name -> (quantity, unit); suffix -> (what, unit or None for the
# quantity's, decimals).
_GLI_SETS = {"gliGlobal": ("GLI Global (2022)", "GLI Global"), "gli2012": ("GLI-2012", "GLI-2012")}
_GLI_QUANTITIES = {"Fev1": ("FEV1", "L"), "Fvc": ("FVC", "L"), "Fev1Fvc": ("FEV1/FVC", "fraction")}
_GLI_VALUES = {
    "Pred": ("predicted {q} (median M)", None, 3),
    "Lln": ("lower limit of normal of {q} (z = -1.645)", None, 3),
    "Uln": ("upper limit of normal of {q} (z = +1.645)", None, 3),
    "Z": ("z-score of the measured {q}", "z", 2),
    "Pctl": ("percentile of the measured {q}", "percentile", 1),
    "Pct": ("measured {q} as a percentage of the predicted (% predicted)", "%", 1),
}
# ERS/ATS 2022 read on the GLI Global z-scores: as the ersAts... columns.
_ERS_ATS_GLI = ["Pattern", "Severity", "Fev1FvcBelowLln", "FvcBelowLln", "Fev1BelowLln", "Fev1Z"]


def entries():
    """Every entry, by column name: "error", the results' columns, the rest."""
    columns = {
        "error": Column("error", "error", "why the row could not be computed; \"\" when it was", "", "input", None, "")
    }

    def add(name, kind, meaning, unit, equation, source):
        columns[name] = Column(name, kind, meaning, unit, equation, source, CITATIONS[source] if source else "")

    for name, (quantity, equation, what) in _RESULTS.items():
        q, source = _QUANTITY[quantity], equation
        add(name, "number", what, _UNIT[quantity], equation, source)
        if name in _RED:
            add(f"{name}Pct", "number", f"measured {q} as a percentage of {name} (1 decimal)", "%", equation, source)
            add(f"{name}Red", "flag", f"1 when the window shows {name}Pct in red: {_RED_RULES[_RED[name]]}", "",
                equation, source)
    for quantity, q in _QUANTITY.items():
        unit = _UNIT[quantity]
        add(f"{quantity}Uln", "number", f"upper limit of normal of {q} (z = +1.645)", unit, "JRS2014", "JRS2014")
        add(f"{quantity}Z", "number", f"z-score of the measured {q} (2 decimals)", "z", "JRS2014", "JRS2014")
        add(f"{quantity}Percentile", "number", f"percentile of the measured {q} (1 decimal)", "percentile",
            "JRS2014", "JRS2014")
    for name, entry in _OTHERS.items():
        add(name, *entry)
    for prefix, (equation, source) in _GLI_SETS.items():
        for quantity, (q, unit) in _GLI_QUANTITIES.items():
            for suffix, (what, own_unit, decimals) in _GLI_VALUES.items():
                places = f"{decimals} decimal{'s' if decimals > 1 else ''}"
                meaning = f"{what.format(q=q)} ({places}; missing outside ages 3 to 95)"
                add(f"{prefix}{quantity}{suffix}", "number", meaning, own_unit or unit, equation, source)
        if prefix == "gliGlobal":
            for part in _ERS_ATS_GLI:
                jrs = columns[f"ersAts{part}"]
                meaning = jrs.meaning.replace("JRS2014", "GLI Global").replace("unrounded", "unrounded GLI Global")
                add(f"ersAtsGli{part}", jrs.kind, meaning, jrs.unit, f"reading: {equation}", "ERS/ATS 2022")
    return columns
