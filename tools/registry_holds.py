#!/usr/bin/env python3
"""Tells whether a Wine prefix's registry already holds what REGEDIT4 files
would write, so that the launcher can leave out an import that would change
nothing.

    registry_holds.py PREFIX FILE.reg... [-- FILE.reg...]...

A group of files (groups are parted by --) is held when every key and value
its files write is in the prefix, with the same type and data; every value
they delete is absent; a key they delete holds nothing beyond what they
write into it again. Exit 0: every group is held. Exit 1: not all are; one
line per group that is not, "FIRST_FILE: the first difference". Exit 2:
cannot tell, because a Wine server runs for the prefix (its registry is then
in memory, newer than the files) or a file cannot be read: import them all.
"""
import fcntl
import os
import re
import sys

HIVES = {"HKEY_CURRENT_USER": "user.reg", "HKEY_LOCAL_MACHINE": "system.reg"}


def unescape(text):
    """The characters of a quoted string body, as both file formats escape them."""
    out, i = [], 0
    while i < len(text):
        c = text[i]
        if c == "\\" and i + 1 < len(text):
            n = text[i + 1]
            i += 2
            if n == "x":
                digits = ""
                while i < len(text) and len(digits) < 4 and text[i] in "0123456789abcdefABCDEF":
                    digits += text[i]
                    i += 1
                out.append(chr(int(digits, 16)) if digits else "x")
            else:
                out.append({"0": "\0", "n": "\n", "r": "\r", "t": "\t"}.get(n, n))
        else:
            out.append(c)
            i += 1
    return "".join(out)


def split_quoted(text):
    """('body', rest) for text that starts with a quoted string."""
    i = 1
    while i < len(text) and text[i] != '"':
        i += 2 if text[i] == "\\" else 1
    return text[1:i], text[i + 1:]


def multi_strings(chars):
    parts = chars.split("\0")
    while parts and parts[-1] == "":
        parts.pop()
    return ("multi", tuple(parts))


def parse_value(data):
    """A value as (kind, data) comparable across both formats; None for a deletion."""
    if data == "-":
        return None
    if data.startswith('"'):
        return ("sz", unescape(split_quoted(data)[0]))
    if data.startswith("str(2):"):
        return ("expand", unescape(split_quoted(data[7:])[0]))
    if data.startswith("str(7):"):
        return multi_strings(unescape(split_quoted(data[7:])[0]))
    if data.startswith("dword:"):
        return ("dword", int(data[6:], 16))
    if data.startswith("hex"):
        kind, _, body = data.partition(":")
        raw = bytes(int(b, 16) for b in body.replace(" ", "").split(",") if b)
        if kind == "hex(7)":  # REGEDIT4 text is in the ANSI code page
            return multi_strings(raw.decode("latin-1"))
        if kind == "hex(2)":
            return ("expand", raw.decode("latin-1").rstrip("\0"))
        return (kind, raw)
    return ("unknown", data)


def logical_lines(lines):
    """Lines with their backslash continuations joined."""
    pending = ""
    for line in lines:
        line = line.rstrip("\r\n")
        if pending:
            line = pending + line.lstrip()
        if line.endswith("\\") and "=" in line and not line.startswith("["):
            pending = line[:-1]
            continue
        pending = ""
        yield line


def value_line(line):
    """(lower-case name, value) of a `"name"=data` or `@=data` line."""
    if line.startswith("@="):
        return "", parse_value(line[2:])
    body, rest = split_quoted(line)
    return unescape(body).lower(), parse_value(rest[1:])


def read_wanted(path):
    """What a REGEDIT4 file writes: keys it deletes, and per key the values."""
    deleted, keys = [], {}
    key = None
    with open(path, encoding="latin-1") as f:
        for line in logical_lines(f):
            if line.startswith("["):
                name = line[1:line.rindex("]")]
                if name.startswith("-"):
                    hive, _, sub = name[1:].partition("\\")
                    deleted.append((HIVES[hive], sub.lower()))
                    key = None
                else:
                    hive, _, sub = name.partition("\\")
                    key = (HIVES[hive], sub.lower())
                    keys.setdefault(key, {})
            elif key and (line.startswith('"') or line.startswith("@=")):
                name, value = value_line(line)
                keys[key][name] = value
    return deleted, keys


def read_hive(path, wanted_under):
    """The keys of a saved Wine hive at or under any of the given keys."""
    with open(path, encoding="utf-8", errors="replace") as f:
        text = f.read()
    keys = {}
    # A hive runs to megabytes: only the sections asked for are parsed.
    for header in re.finditer(r"^\[([^\]\n]*)\]", text, re.M):
        raw = header.group(1).lower()
        name = unescape(raw) if "\\x" in raw else raw.replace("\\\\", "\\")
        if not any(name == w or name.startswith(w + "\\") for w in wanted_under):
            continue
        end = text.find("\n[", header.end())
        values = keys.setdefault(name, {})
        for line in logical_lines(text[header.end():end if end >= 0 else len(text)].split("\n")):
            if line.startswith('"') or line.startswith("@="):
                value_name, value = value_line(line)
                values[value_name] = value
    return keys


def server_runs(prefix):
    """True when a Wine server holds the prefix's lock (or it cannot be asked)."""
    st = os.stat(prefix)
    lock = "/tmp/.wine-%d/server-%x-%x/lock" % (os.getuid(), st.st_dev, st.st_ino)
    try:
        fd = os.open(lock, os.O_RDWR)
    except FileNotFoundError:
        return False
    try:
        fcntl.lockf(fd, fcntl.LOCK_EX | fcntl.LOCK_NB)
        fcntl.lockf(fd, fcntl.LOCK_UN)
        return False
    except OSError:
        return True
    finally:
        os.close(fd)


def first_difference(prefix, reg_files):
    deleted, keys = [], {}
    for path in reg_files:
        d, k = read_wanted(path)
        deleted += d
        for key, values in k.items():
            keys.setdefault(key, {}).update(values)
    for hive in set(h for h, _ in keys) | set(h for h, _ in deleted):
        under = [k for h, k in keys if h == hive] + [k for h, k in deleted if h == hive]
        saved = read_hive(os.path.join(prefix, hive), under)
        for (h, key), values in keys.items():
            if h != hive:
                continue
            have = saved.get(key)
            if have is None:
                # Wine saves no section for a key with subkeys but no values.
                if not any(v is not None for v in values.values()):
                    continue
                return "%s: no key %s" % (hive, key)
            for name, value in values.items():
                if have.get(name) != value:
                    return "%s: [%s] %r is %r, not %r" % (hive, key, name, have.get(name), value)
        for h, gone in deleted:
            if h != hive:
                continue
            for key, have in saved.items():
                if key != gone and not key.startswith(gone + "\\"):
                    continue
                written = keys.get((hive, key))
                if written is None:
                    return "%s: [%s] would be deleted" % (hive, key)
                extra = set(have) - set(n for n, v in written.items() if v is not None)
                if extra:
                    return "%s: [%s] holds %s besides the file's values" % (hive, key, sorted(extra))
    return None


def main(argv):
    if len(argv) < 3:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    prefix = argv[1]
    groups = [[]]
    for arg in argv[2:]:
        if arg == "--":
            groups.append([])
        else:
            groups[-1].append(arg)
    groups = [g for g in groups if g]
    try:
        if server_runs(prefix):
            print("a Wine server runs for %s" % prefix)
            return 2
        differences = [(g[0], first_difference(prefix, g)) for g in groups]
    except (OSError, KeyError, ValueError) as error:
        print("cannot tell: %s" % error)
        return 2
    held = True
    for first, difference in differences:
        if difference:
            print("%s: %s" % (first, difference))
            held = False
    return 0 if held else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
