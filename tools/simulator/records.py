"""What a request carried: raw query values, multipart parts and the record kept for tests.

Clients put query values into URLs unescaped, in the ANSI code page of the machine (GBK on a
Chinese system), so everything here works on bytes and only turns them into text at the end.
"""

import base64
import re

# Encodings a client may have used for a non-ASCII value: the Chinese ANSI code page first,
# then UTF-8 and the Western code page.
CLIENT_ENCODINGS = ("gbk", "utf-8", "cp1252")


def b64(data):
    return base64.b64encode(data).decode("ascii")


def percent_decode(raw):
    """%XX sequences become bytes; anything else, "+" included, stays as it is."""
    out = bytearray()
    i = 0
    while i < len(raw):
        c = raw[i]
        if c == 0x25 and i + 2 < len(raw) and _is_hex(raw[i + 1 : i + 3]):
            out.append(int(raw[i + 1 : i + 3], 16))
            i += 3
        else:
            out.append(c)
            i += 1
    return bytes(out)


def _is_hex(two):
    return len(two) == 2 and all(chr(c) in "0123456789abcdefABCDEF" for c in two)


def parse_query(raw):
    """Raw query bytes -> {key bytes: value bytes}; a repeated key keeps its last value."""
    values = {}
    for pair in raw.split(b"&"):
        if not pair:
            continue
        key, _, value = pair.partition(b"=")
        values[percent_decode(key)] = percent_decode(value)
    return values


def split_target(raw_target):
    """Raw request target -> (path bytes, query bytes)."""
    path, _, query = raw_target.partition(b"?")
    return path, query


def as_text(value):
    for encoding in CLIENT_ENCODINGS[:2]:
        try:
            return value.decode(encoding)
        except UnicodeDecodeError:
            pass
    return value.decode("latin-1")


def same_text(value, text):
    """True when the client's bytes spell text in any encoding a client may have used."""
    if value is None or text is None:
        return False
    for encoding in CLIENT_ENCODINGS:
        try:
            if value == text.encode(encoding):
                return True
        except UnicodeEncodeError:
            pass
    return False


_PARAM = re.compile(r';\s*([^=;\s]+)\s*=\s*("((?:[^"\\]|\\.)*)"|[^;]*)')


def _header_params(value):
    params = {}
    for m in _PARAM.finditer(value):
        params[m.group(1).lower()] = m.group(3) if m.group(3) is not None else m.group(2).strip()
    return params


def parse_multipart(content_type, body):
    """Parts of a multipart/form-data body, parsed by hand so that nothing is normalised."""
    m = re.search(r'boundary\s*=\s*(?:"([^"]+)"|([^;\s]+))', content_type or "", re.I)
    if not m or not content_type.lower().startswith("multipart/"):
        return []
    delimiter = b"\r\n--" + (m.group(1) or m.group(2)).encode("latin-1")
    parts = []
    for chunk in (b"\r\n" + body).split(delimiter)[1:]:
        if chunk.startswith(b"--"):
            break
        head, sep, data = chunk.partition(b"\r\n\r\n")
        if not sep:
            continue
        headers = {}
        for line in head.split(b"\r\n"):
            name, colon, value = line.partition(b":")
            if colon:
                headers[name.strip().lower().decode("latin-1")] = value.strip()
        disposition = _header_params(headers.get("content-disposition", b"").decode("latin-1"))
        filename = disposition.get("filename")
        filename_bytes = filename.encode("latin-1") if filename is not None else None
        parts.append(
            {
                "name": disposition.get("name", ""),
                "filename": as_text(filename_bytes) if filename_bytes is not None else None,
                "filename_b64": b64(filename_bytes) if filename_bytes is not None else None,
                "filename_bytes": filename_bytes,
                "content_type": headers.get("content-type", b"").decode("latin-1"),
                "data": data,
            }
        )
    return parts


def make_record(method, raw_target, headers, body, parts):
    """The JSON form of one received request as /_sim/requests reports it."""
    return {
        "method": method,
        "path": raw_target.decode("latin-1"),
        "path_b64": b64(raw_target),
        "headers": headers,
        "body_b64": b64(body),
        "parts": [
            {
                "name": p["name"],
                "filename": p["filename"],
                "filename_b64": p["filename_b64"],
                "content_type": p["content_type"],
                "data_b64": b64(p["data"]),
            }
            for p in parts
        ],
    }
