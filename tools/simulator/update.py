"""The update service: version check and package downloads with byte ranges."""

import base64
import io
import json
import os
import random
import re
import threading
import zipfile

from records import as_text, parse_query, percent_decode, same_text
from services import Reply, html_reply, json_reply

# Fixed entry times keep the packages byte-for-byte the same from run to run.
ENTRY_TIME = (2016, 9, 1, 8, 30, 0)
STORED_SUFFIXES = (".bin", ".dat", ".png", ".jpg", ".zip")


def version_key(text):
    return tuple(int(p) if p.isdigit() else 0 for p in text.split("."))


def version_check(fixture, content_type, body, base):
    # Like any servlet container, the service reads form fields only from a form body.
    is_form = content_type.split(";")[0].strip().lower() == "application/x-www-form-urlencoded"
    form = parse_query(body) if is_form else {}
    installed = as_text(form.get(b"version", b""))
    offer = fixture.get("update", {})
    if not installed or form.get(b"type") != b"0":
        return json_reply({"success": False, "message": "参数错误"})
    if offer.get("success") is not True or version_key(installed) >= version_key(
        offer.get("versionnum", "")
    ):
        return json_reply({"success": False, "message": "已经是最新版本"})
    reply = {k: offer[k] for k in ("success", "versionnum", "forcedupdate", "describle")
             if k in offer}
    packages = offer.get("packages", [])
    # Anything but a list (null, say) is passed on as it stands; in a list a name becomes an
    # entry for that package and an object is an entry as it stands (with "size" or "sha256").
    reply["data"] = ([{"name": entry, "url": "/pkg/" + entry} if isinstance(entry, str) else entry
                      for entry in packages]
                     if isinstance(packages, list) else packages)
    return json_reply(reply)


class PackageStore:
    """Builds each package's ZIP once from its fixture description:
    {"folder": name under packages/ (default: the package name without ".zip"),
     "files": {entry: UTF-8 text}, "files_b64": {entry: bytes}, "filler": byte count,
     "raw_b64": the whole package as given, not a ZIP}."""

    def __init__(self, root):
        self._root = root
        self._lock = threading.Lock()
        self._built = {}

    def get(self, name, recipe):
        """(bytes, None) or (None, error text)."""
        key = (name, json.dumps(recipe, sort_keys=True))
        with self._lock:
            if key not in self._built:
                self._built[key] = self._build(name, recipe)
            return self._built[key]

    def check(self, fixture):
        """Error text when a package of the fixture cannot be built, else None."""
        packages = fixture.get("packages", {})
        if not isinstance(packages, dict):
            return '"packages" must be an object'
        for name, recipe in packages.items():
            if not isinstance(recipe, dict):
                return 'package "%s" must be an object' % name
            data, error = self.get(name, recipe)
            if error:
                return error
        return None

    def _build(self, name, recipe):
        if "raw_b64" in recipe:
            try:
                return base64.b64decode(recipe["raw_b64"], validate=True), None
            except (ValueError, TypeError):
                return None, 'package "%s": raw_b64 is not base64' % name
        entries = {}
        folder = recipe.get("folder", re.sub(r"\.zip$", "", name, flags=re.I))
        path = os.path.join(self._root, folder)
        inline = recipe.get("files") or recipe.get("files_b64") or "filler" in recipe
        if "folder" in recipe or not inline:
            if not os.path.isdir(path):
                return None, 'package "%s": no folder %s' % (name, path)
            for top, dirs, files in os.walk(path):
                dirs.sort()
                rel = os.path.relpath(top, path).replace(os.sep, "/")
                if rel != ".":
                    entries[rel + "/"] = None
                for f in sorted(files):
                    with open(os.path.join(top, f), "rb") as fh:
                        entries[(f if rel == "." else rel + "/" + f)] = fh.read()
        try:
            for entry, text in recipe.get("files", {}).items():
                entries[entry] = text.encode("utf-8")
            for entry, data in recipe.get("files_b64", {}).items():
                entries[entry] = base64.b64decode(data, validate=True)
        except (ValueError, TypeError, AttributeError):
            return None, 'package "%s": bad "files" or "files_b64"' % name
        if "filler" in recipe:
            count = recipe["filler"]
            if type(count) is not int or not 0 <= count <= 256 << 20:
                return None, 'package "%s": "filler" must be a byte count up to 256 MiB' % name
            entries["filler.bin"] = random.Random(count).randbytes(count)
        return _zip(entries), None


def _zip(entries):
    out = io.BytesIO()
    with zipfile.ZipFile(out, "w") as z:
        for entry in sorted(entries):
            info = zipfile.ZipInfo(entry, ENTRY_TIME)
            data = entries[entry]
            if data is None:
                info.external_attr = (0o40755 << 16) | 0x10
                z.writestr(info, b"")
                continue
            info.external_attr = 0o100644 << 16
            stored = entry.lower().endswith(STORED_SUFFIXES)
            info.compress_type = zipfile.ZIP_STORED if stored else zipfile.ZIP_DEFLATED
            z.writestr(info, data)
    return out.getvalue()


_RANGE = re.compile(r"^\s*bytes\s*=\s*(\d+)\s*-\s*(\d*)\s*$", re.I)


def serve_package(store, fixture, raw_name, range_header, ignore_range):
    """raw_name: the bytes after /pkg/, as sent (a non-ASCII name may come escaped or not)."""
    packages = fixture.get("packages", {})
    name = next((n for n in packages if same_text(percent_decode(raw_name), n)), None)
    recipe = packages.get(name)
    if not isinstance(recipe, dict):
        return html_reply(404, "Not Found")
    data, error = store.get(name, recipe)
    if data is None:
        return html_reply(500, "Internal Server Error")
    headers = [("Content-Type", "application/zip"), ("Accept-Ranges", "bytes")]
    m = _RANGE.match(range_header or "")
    if ignore_range or not m:
        return Reply(200, headers, data)
    start = int(m.group(1))
    end = min(int(m.group(2)), len(data) - 1) if m.group(2) else len(data) - 1
    if start >= len(data) or end < start:
        headers.append(("Content-Range", "bytes */%d" % len(data)))
        return Reply(416, headers, b"")
    headers.append(("Content-Range", "bytes %d-%d/%d" % (start, end, len(data))))
    return Reply(206, headers, data[start : end + 1])
