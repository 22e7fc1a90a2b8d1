"""The platform's sign-in and records services and the province archive servers.

Each service takes the live fixture, the parsed query (bytes -> bytes), the request body parts
and the lane's own base address, and returns a Reply.
"""

import collections
import hashlib
import json

from records import as_text, same_text

Reply = collections.namedtuple("Reply", "status headers body")

SIGN_SALT = b"718vok"
SCRAMBLE_KEY = b"StudentFilesForDistrict2016KPX"

MSG_BAD_REQUEST = "请求参数错误"
MSG_BAD_LOGIN = "用户名或密码错误"
MSG_SESSION = "登录已失效，请重新登录"
MSG_JID = "账号信息不一致"
MSG_SIGN = "签名校验失败"
MSG_PROVINCE = "该省份暂未开通电子档案服务"
MSG_NO_STUDENT = "未找到该学生的电子档案"
MSG_BAD_FILE = "上传文件无效"
MSG_BAD_SCRAMBLE = "上传文件校验失败"
MSG_NOT_YOURS = "无权上传该学生的档案"


def json_reply(obj, status=200):
    body = json.dumps(obj, ensure_ascii=False).encode("utf-8")
    return Reply(status, [("Content-Type", "application/json; charset=utf-8")], body)


def html_reply(status, title):
    body = (
        "<html><head><title>%d %s</title></head><body><h1>%s</h1></body></html>"
        % (status, title, title)
    ).encode("ascii")
    return Reply(status, [("Content-Type", "text/html")], body)


def refusal(code, message):
    return json_reply({"errorCode": code, "errorMessage": message})


def hex_digests(password):
    """(sha1, md5) lower-case hex of the password's ANSI bytes, code page 936 (GBK) as on the
    users' Chinese Windows; digests of UTF-8 or cp1252 bytes are wrong passwords to the real
    service. None when the password has no GBK form."""
    try:
        data = password.encode("gbk")
    except UnicodeEncodeError:
        return None
    return hashlib.sha1(data).hexdigest(), hashlib.md5(data).hexdigest()


def _account_by_xsid(fixture, xsid):
    for account in fixture.get("accounts", []):
        if xsid is not None and account.get("xsid", "").encode("latin-1") == xsid:
            return account
    return None


def sign_in(fixture, query, parts, base):
    field = {b"username": "username", b"mobile": "mobile", b"email": "email"}.get(
        query.get(b"logintype")
    )
    if (
        field is None
        or query.get(b"response_type") != b"xsid"
        or query.get(b"client_id") != b"ime_upload_tool"
        or query.get(b"password") != b"wemp"
        or b"username" not in query
    ):
        return json_reply({"xsid": None, "jid": None, "message": MSG_BAD_REQUEST})
    digests = (query.get(b"sha1shadow", b"").decode("latin-1"),
               query.get(b"md5shadow", b"").decode("latin-1"))
    for account in fixture.get("accounts", []):
        if same_text(query[b"username"], account.get(field)) and digests == hex_digests(
            account.get("password", "")
        ):
            return json_reply({"xsid": account["xsid"], "jid": account["jid"],
                               "message": "登录成功"})
    return json_reply({"xsid": None, "jid": None, "message": MSG_BAD_LOGIN})


def check_username(fixture, query, parts, base):
    xsid, jid, sign = query.get(b"xsid"), query.get(b"jid"), query.get(b"sign")
    account = _account_by_xsid(fixture, xsid)
    if account is None:
        return refusal(1, MSG_SESSION)
    if jid != account["jid"].encode("latin-1"):
        return refusal(2, MSG_JID)
    if sign != hashlib.md5(jid + xsid + SIGN_SALT).hexdigest().encode("ascii"):
        return refusal(3, MSG_SIGN)
    return json_reply({"errorCode": 0, "errorMessage": "",
                       "data": {"username": account.get("username"), "jid": account["jid"]}})


def school_user_type(fixture, query, parts, base):
    account = _account_by_xsid(fixture, query.get(b"xsid"))
    if account is None:
        return json_reply({"extension": None, "message": MSG_SESSION})
    return json_reply({"extension": account.get("extension"), "message": ""})


def _server_address(value, base):
    """"first"/"second" in the fixture name this simulator's own archive servers."""
    return base + "/" + value if value in ("first", "second") else value


def province_servers(fixture, query, parts, base):
    if _account_by_xsid(fixture, query.get(b"xsid")) is None:
        return refusal(1, MSG_SESSION)
    code = as_text(query.get(b"province_code", b""))
    servers = fixture.get("provinces", {}).get(code)
    if servers is None:
        return refusal(2, MSG_PROVINCE)
    return json_reply({"errorCode": 0, "errorMessage": "", "data": {
        "first": _server_address(servers.get("first", ""), base),
        "second": _server_address(servers.get("second", ""), base),
        "province_code": code,
    }})


STUDENT_FIELDS = ("student_id", "class_id", "accessible", "grade_name", "class_name")


def check_file_number(fixture, query, parts, base):
    if _account_by_xsid(fixture, query.get(b"xsid")) is None:
        return refusal(1, MSG_SESSION)
    number = query.get(b"file_no")
    for student in fixture.get("students", []):
        if same_text(number, student.get("file_no")) or same_text(number, student.get("reg_code")):
            # Fields the fixture leaves out stay out of the reply; null stays null.
            data = {k: student[k] for k in STUDENT_FIELDS if k in student}
            return json_reply({"errorCode": 0, "errorMessage": "", "data": data})
    return refusal(3, MSG_NO_STUDENT)


def _keystream():
    """The scrambling the first archive server expects: the RC4 key schedule, then a
    keystream drawn without swapping, which repeats every 512 bytes."""
    s = list(range(256))
    j = 0
    for i in range(256):
        j = (j + s[i] + SCRAMBLE_KEY[i % len(SCRAMBLE_KEY)]) % 256
        s[i], s[j] = s[j], s[i]
    out = bytearray()
    i = j = 0
    for _ in range(512):
        i = (i + 1) % 256
        j = (j + s[i]) % 256
        out.append(s[(s[i] + s[j]) % 256])
    return bytes(out)


_KEYSTREAM = _keystream()


def scramble(data):
    if not data:
        return data
    stream = (_KEYSTREAM * (len(data) // len(_KEYSTREAM) + 1))[: len(data)]
    x = int.from_bytes(data, "big") ^ int.from_bytes(stream, "big")
    return x.to_bytes(len(data), "big")


def _file_name(raw):
    """The file name of a part as the server stores it: GBK text without a path, ending in
    ".jpg"; None otherwise."""
    try:
        name = raw.decode("gbk") if raw else ""
    except UnicodeDecodeError:
        return None
    ok = name.lower().endswith(".jpg") and not any(c in name for c in "\\/:")
    return name if ok else None


def _well_formed(parts):
    """Two parts named "file", both image/jpeg under a file name the server can store, the
    first a JPEG."""
    return (len(parts) == 2
            and all(p["name"] == "file" and p["content_type"] == "image/jpeg"
                    and _file_name(p["filename_bytes"]) is not None for p in parts)
            and parts[0]["data"].startswith(b"\xff\xd8\xff"))


def _upload(fixture, xsid, student_id, parts, scrambled):
    if _account_by_xsid(fixture, xsid) is None:
        return refusal(1, MSG_SESSION)
    student = next((s for s in fixture.get("students", [])
                    if student_id and s.get("student_id", "").encode("latin-1") == student_id),
                   None)
    if student is None:
        return refusal(3, MSG_NO_STUDENT)
    if student.get("accessible") is not True:
        return refusal(6, MSG_NOT_YOURS)
    if not _well_formed(parts):
        return refusal(4, MSG_BAD_FILE)
    plain, copy = parts[0]["data"], parts[1]["data"]
    if (scramble(copy) if scrambled else copy) != plain:
        return refusal(5, MSG_BAD_SCRAMBLE)
    return json_reply({"errorCode": 0, "errorMessage": "", "data": {
        "student_id": student["student_id"], "file_name": parts[1]["filename"],
        "size": len(plain)}})


def upload_first(fixture, query, parts, base):
    if query.get(b"action") != b"upload":
        return refusal(4, MSG_BAD_REQUEST)
    return _upload(fixture, query.get(b"xsid"), query.get(b"student_id"), parts, True)


def upload_second(fixture, query, parts, base):
    return _upload(fixture, query.get(b"xsid"), query.get(b"stu_id"), parts, False)
