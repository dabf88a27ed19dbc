#!/usr/bin/python3
"""kestrum-explain's JSON report, read by Python's own parser: each sample
document is strict JSON, valid against docs/kestrum-explain.schema.json, and
its summary agrees with its variables; the schema refuses documents that
break it; and names of any bytes come back as the bytes decoded as UTF-8,
each byte outside a well-formed sequence standing for the code point of its
value (Python's UTF-8 decoder is the oracle).

usage: json_report_test.py EXAMPLES_PROGRAM SCHEMA

Exits 77 (skipped) when jsonschema (Debian: python3-jsonschema) is missing.
"""
import codecs
import copy
import json
import random
import subprocess
import sys
import tempfile
from pathlib import Path

try:
    import jsonschema
except ImportError:
    print("python3-jsonschema is not installed: skipped")
    sys.exit(77)

failures = []


def fail(message):
    failures.append(message)
    print("FAIL:", message)


def parse(text, what):
    """Strict JSON (no raw control characters in strings), no repeated keys."""
    def unique(pairs):
        keys = [key for key, _ in pairs]
        if len(keys) != len(set(keys)):
            fail(f"{what}: a key repeats in {keys}")
        return dict(pairs)
    return json.loads(text, object_pairs_hook=unique)


def label(variable):
    if variable["described"] and variable["name"]:
        return variable["name"]
    why = "empty name" if variable["described"] else "no name read"
    return f"variable {variable['index']} ({why})"


def check_consistent(document, what):
    variables = document["variables"]
    summary = document["summary"]
    if [v["index"] for v in variables] != list(range(len(variables))):
        fail(f"{what}: indices are not 0, 1, 2, ...")
    if summary["variables"] != len(variables):
        fail(f"{what}: summary counts {summary['variables']} variables, the list has {len(variables)}")
    intact = [v for v in variables if v["fault"] is None]
    if summary["intact"] != len(intact):
        fail(f"{what}: summary counts {summary['intact']} intact, the list has {len(intact)}")
    damaged = [label(v) for v in variables if v["fault"] is not None]
    if summary["damaged"] != damaged:
        fail(f"{what}: summary names {summary['damaged']} damaged, the list {damaged}")
    if ("superblockVersion" in document) != (document["version"] == "7.3"):
        fail(f"{what}: superblockVersion present for version {document['version']}")
    if (document["headerText"] is None) != (document["version"] == "4"):
        fail(f"{what}: headerText {document['headerText']!r} for version {document['version']}")


# Documents the schema must refuse, each made from a valid one.
def broken_copies(document):
    def edited(path, value=None, remove=False):
        d = copy.deepcopy(document)
        target = d
        for step in path[:-1]:
            target = target[step]
        if remove:
            del target[path[-1]]
        else:
            target[path[-1]] = value
        return d

    yield "summary missing", edited(["summary"], remove=True)
    yield "stop missing", edited(["stop"], remove=True)
    yield "a variable without fault", edited(["variables", 0, "fault"], remove=True)
    yield "an unknown member", edited(["surprise"], 1)
    yield "byte order of a third kind", edited(["byteOrder"], "middle-endian")
    yield "file size negative", edited(["fileBytes"], -1)
    yield "dims as text", edited(["variables", 0, "dims"], "2x3x4")
    yield "a fractional offset", edited(["variables", 0, "offset"], 1.5)
    yield "a fault without words", edited(["variables", 0, "fault"], {"at": 1, "inflatedAt": None})
    yield "a flag as a number", edited(["variables", 0, "global"], 1)
    yield "damaged names not text", edited(["summary", "damaged"], [3])
    yield "superblock version for version 5", edited(["superblockVersion"], 2)
    yield "no header text for version 5", edited(["headerText"], None)


def check_samples(program, validator):
    with tempfile.TemporaryDirectory() as directory:
        subprocess.run([program, directory], check=True)
        samples = sorted(Path(directory).glob("*.json"))
        if len(samples) < 4:
            fail(f"only {len(samples)} sample documents written")
        for path in samples:
            document = parse(path.read_bytes().decode("utf-8"), path.name)
            errors = [e.message for e in validator.iter_errors(document)]
            if errors:
                fail(f"{path.name} does not fit the schema: {errors}")
                continue
            check_consistent(document, path.name)
            print(f"{path.name}: valid, {len(document['variables'])} variable(s)")
            if path.name == "damaged_version5.json":
                for what, broken in broken_copies(document):
                    if validator.is_valid(broken):
                        fail(f"the schema accepts a document with {what}")


def byte_values(error):
    return "".join(chr(b) for b in error.object[error.start:error.end]), error.end


codecs.register_error("byte_values", byte_values)


def hostile_names():
    names = [b"", b"plain", b'quo"te', b"back\\slash", b"\x00", b"tab\there", b"line\nfeed\r",
             b"\x1b[31mred", b"\x7f\xc2\x80\xc2\x9f\xc2\xa0", "caf\u00e9 \u6f22 \U0001f600".encode(),
             b"\xff\xfe", b"\xc0\xaf", b"\xe0\x80\xaf", b"\xed\xa0\x80", b"\xf4\x90\x80\x80", b"\xf0\x9f\x98",
             b"\x80abc", b"abc\xe2\x82", b"\xc3", "\u2028\u2029".encode(), b"/\\u0041"]
    # Random bytes drawn mostly from the places where encoders go wrong.
    rng = random.Random(20261208)
    pieces = [bytes([b]) for b in b'\x00\x01\x1f "\\/azZ09\x7f'] + \
             [bytes([b]) for b in range(0x80, 0x100, 7)] + \
             [c.encode() for c in "\u0080\u009f\u00a0\u07ff\u0800\ud7ff\ue000\uffff\U00010000\U0010ffff"]
    for _ in range(400):
        names.append(b"".join(rng.choice(pieces) for _ in range(rng.randint(1, 8))))
    return names


def check_names(program, validator):
    names = hostile_names()
    run = subprocess.run([program, "--names"] + [name.hex() for name in names], check=True,
                         stdout=subprocess.PIPE)
    try:
        text = run.stdout.decode("utf-8")
    except UnicodeDecodeError as error:
        fail(f"the report of hostile names is not UTF-8: {error}")
        return
    document = parse(text, "hostile names")
    if not validator.is_valid(document):
        fail("the report of hostile names does not fit the schema")
    got = [v["name"] for v in document["variables"]]
    if len(got) != len(names):
        fail(f"{len(names)} names written, {len(got)} read back")
        return
    wrong = [(name, g) for name, g in zip(names, got) if g != name.decode("utf-8", "byte_values")]
    for name, g in wrong[:10]:
        fail(f"name bytes {name!r} read back as {g!r}, not {name.decode('utf-8', 'byte_values')!r}")
    print(f"{len(names)} hostile names: {len(names) - len(wrong)} read back as expected")


def main():
    program, schema_path = sys.argv[1], sys.argv[2]
    schema = json.loads(Path(schema_path).read_text())
    jsonschema.Draft202012Validator.check_schema(schema)
    validator = jsonschema.Draft202012Validator(schema)
    check_samples(program, validator)
    check_names(program, validator)
    print(f"{len(failures)} failed" if failures else "all checks passed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
