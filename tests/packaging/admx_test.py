#!/usr/bin/env python3
# The administrative template (packaging/policy): well-formed, every string and presentation the
# ADMX names in each ADML, the same strings in both, its key the Windows backend's, and each
# policy's enabled and disabled values taken by the program's own policy reader (policy_probe)
# without a warning.
import os
import re
import subprocess
import sys
import xml.etree.ElementTree as ET

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
POLICY = os.path.join(ROOT, "packaging", "policy")
NS = {"p": "http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions"}
failures = []


def check(condition, message):
    print(("ok: " if condition else "FAILED: ") + message)
    failures.extend([] if condition else [message])


def read(values):
    """What the program's reader makes of [(scope, name, kind, value)]: its lines."""
    return subprocess.run([sys.argv[1], *[item for value in values for item in value]],
                          check=True, capture_output=True, text=True).stdout.splitlines()


admx = ET.parse(os.path.join(POLICY, "duskline.admx")).getroot()
text = open(os.path.join(POLICY, "duskline.admx"), encoding="utf-8").read()
admls = {language: ET.parse(os.path.join(POLICY, language, "duskline.adml")).getroot()
         for language in ("en-US", "de-DE")}
check(admx.find("p:policyNamespaces/p:target", NS).get("namespace") == "Orvanta.Policies.Duskline",
      "namespace Orvanta.Policies.Duskline")
for language, adml in admls.items():
    strings = {s.get("id") for s in adml.iterfind(".//p:string", NS)}
    shown = {p.get("id"): {c.get("refId") for c in p} for p in adml.iterfind(".//p:presentation", NS)}
    for name in sorted(set(re.findall(r"\$\(string\.(\w+)\)", text))):
        check(name in strings, "%s: string %s" % (language, name))
    for policy in admx.iterfind(".//p:policy[@presentation]", NS):
        name = policy.get("presentation")[len("$(presentation."):-1]
        ids = {e.get("id") for e in policy.find("p:elements", NS)}
        check(shown.get(name) == ids, "%s: presentation %s shows %s" % (language, name, sorted(ids)))

english, german = ({s.get("id") for s in admls[l].iterfind(".//p:string", NS)} for l in admls)
check(english == german, "de-DE and en-US: the same strings, apart %s" % (english ^ german))

header = open(os.path.join(ROOT, "src", "platform", "win32", "PolicyStore_win.h")).read()
key = re.search(r'kPolicyKey\[\] = L"(.*)"', header).group(1).replace("\\\\", "\\")
samples = {box.get("refId"): box.findtext("p:defaultValue", namespaces=NS)
           for box in admls["en-US"].iterfind(".//p:textBox", NS)}
for policy in admx.iterfind(".//p:policy", NS):
    name, value_name = policy.get("name"), policy.get("valueName")
    check(policy.get("key") == key, "%s: key %s, the one the program reads" % (name, key))
    for scope in {"Machine": ["machine"], "User": ["user"], "Both": ["machine", "user"]}[policy.get("class")]:
        enabled = [(scope, e.get("valueName"), "text", samples[e.get("id")])
                   for e in policy.iterfind("p:elements/p:text", NS)]
        expected = ["%s %s" % (e[1], scope) for e in enabled]
        if value_name:
            number = policy.find("p:enabledValue/p:decimal", NS).get("value")
            enabled, expected = [(scope, value_name, "number", number)], ["%s 1" % value_name]
        lines = read(enabled)
        check(not any(line.startswith("warning") for line in lines) and all(
            any(line.startswith(e) for line in lines) for e in expected),
              "%s, %s, enabled: the program reads %s" % (name, scope, "; ".join(lines)))
        if value_name:  # the computer's "disabled" also beats the user's "enabled"
            number = policy.find("p:disabledValue/p:decimal", NS).get("value")
            lines = read([(scope, value_name, "number", number)] +
                         [("user", value_name, "number", "1")] * (scope == "machine"))
            check("%s 0" % value_name in lines and not any(l.startswith("warning") for l in lines),
                  "%s, %s, disabled: off" % (name, scope))
print("admx: %d failed" % len(failures))
sys.exit(1 if failures else 0)
