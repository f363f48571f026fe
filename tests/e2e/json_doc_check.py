"""Checks quillmark --json output against the tables of docs/json.md.

usage: json_doc_check.py JSON_MD OUTPUT... [--require EVENT,...]
Every line of every OUTPUT must be an object whose event, fields, types,
message kind and nested objects the document describes; --require names the
events that must have been seen at least once.
"""
import json
import re
import sys

TYPES = {"string": str, "integer": int, "boolean": bool, "array": list, "object": dict}


def tables(path):
    """{section heading: [row dicts]} for every '### `name`' or '## title' section."""
    sections, name, header = {}, None, None
    for line in open(path, encoding="utf-8"):
        line = line.rstrip("\n")
        m = re.match(r"^#{2,3} `?([^`]+)`?$", line)
        if m:
            name, header = m.group(1), None
            continue
        if not line.startswith("|") or name is None:
            header = None if not line.startswith("|") else header
            continue
        cells = [c.strip() for c in line.strip("|").split("|")]
        if header is None:
            header = cells
        elif not set("".join(cells)) <= set("-: "):
            sections.setdefault(name, []).append(dict(zip(header, cells)))
    return sections


def check_fields(obj, rows, where):
    documented = {r["field"]: r for r in rows}
    for key, value in obj.items():
        if key not in documented:
            raise AssertionError(f"{where}: field '{key}' is not documented")
        want = TYPES[documented[key]["type"]]
        if not isinstance(value, want) or (want is int and isinstance(value, bool)):
            raise AssertionError(f"{where}: field '{key}' is {type(value).__name__}, documented {documented[key]['type']}")
        if value in ("", [], {}) and documented[key]["type"] != "array":
            raise AssertionError(f"{where}: field '{key}' is sent empty")
    for key, row in documented.items():
        if row["presence"] == "always" and key not in obj:
            raise AssertionError(f"{where}: field '{key}' is missing")


def main(argv):
    require = []
    if "--require" in argv:
        i = argv.index("--require")
        require = argv[i + 1].split(",")
        argv = argv[:i] + argv[i + 2:]
    doc, outputs = argv[0], argv[1:]
    t = tables(doc)
    kinds = {}
    for row in t["Message kinds"]:
        kinds.setdefault(row["kind"], set()).add(row["code"])
    seen = set()
    for path in outputs:
        for n, line in enumerate(open(path, encoding="utf-8"), 1):
            where = f"{path}:{n}"
            obj = json.loads(line)
            assert isinstance(obj, dict), f"{where}: not an object"
            event = obj.get("event")
            assert event in t, f"{where}: event '{event}' is not documented"
            check_fields(obj, t[event], where)
            if n == 1:
                assert event == "start", f"{where}: the first object is '{event}', not 'start'"
            seen.add(event)
            if event != "message":
                continue
            kind, code = obj["kind"], str(obj["code"])
            unknown = kind == f"message_{code}"
            assert unknown or code in kinds.get(kind, ()), f"{where}: kind '{kind}' with code {code} is not documented"
            seen.add("kind:" + kind)
            if "candidate" in obj:
                check_fields(obj["candidate"], t["candidate"], where + " candidate")
            if "info" in obj:
                check_fields(obj["info"], t["info"], where + " info")
    missing = [e for e in require if e not in seen]
    assert not missing, f"never seen: {missing}"
    print(f"{len(outputs)} outputs match the document; seen: {sorted(seen)}")


if __name__ == "__main__":
    try:
        main(sys.argv[1:])
    except AssertionError as e:
        print(f"json_doc_check: {e}", file=sys.stderr)
        sys.exit(1)
